// RenameOver: puts a finished file in the place of an old one.
#pragma once

#include <filesystem>

namespace quibo {

// Moves `from` onto `to`. Where the platform will not rename onto an existing
// file, the old one is moved aside first and moved back when the new one
// cannot take its place. Throws CZipException(fileError); `to` then still
// holds the old file.
void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace quibo
