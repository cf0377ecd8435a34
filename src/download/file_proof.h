// The proof a signed release asks of a downloaded file: exactly the size and
// the SHA-256 its package names.
#pragma once

#include <string>

#include "core/transfer/download_records.h"

namespace quibo {

// True when the file at `path` has `content`'s size and SHA-256. Otherwise
// `failure` is the line that says which check failed, naming the file as
// `name`.
bool ProveDownloadedFile(const std::string& path, const SignedContent& content, const std::string& name,
                         std::string& failure);

}  // namespace quibo
