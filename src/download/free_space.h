// Room on the disk for a file whose length is known before it arrives.
#pragma once

#include <cstdint>
#include <string>

#include "download/transfer_view.h"

namespace quibo {

// True when the disk that holds `localPath` has `bytes` free for this
// process, or when that cannot be asked. Otherwise says so in the status
// line (and so in the run log) and answers false: the transfer is refused
// before its file is created, and nothing is left of it.
bool HasRoomFor(TransferView& view, const std::string& localPath, std::uint64_t bytes);

}  // namespace quibo
