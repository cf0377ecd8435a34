// The command lines that carry a self-update across its three processes: the
// running program starts its temporary copy with the hand-over line, and the
// copy, once it has replaced the program, starts the program again with the
// finish line. Both pass the original command line on, so the host window and
// any other switch reach every process.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/text/code_page.h"

namespace quibo {

// `ownArguments` (the running program's arguments, blanks around them
// ignored), a blank, then "/HWND:<host> " when there is a host window, and
// "/self_update:<item>-<version>".
std::string HandOverArguments(std::string_view ownArguments, long hostWindow, int itemIndex,
                              std::string_view serverVersion);

// The copy's arguments in lower case with every "self_update" made
// "self_finish".
std::string FinishArguments(std::string_view copyArguments, LeadByteRule rule);

// What the copy records once the program is replaced: the program item's
// section and its new version.
struct SelfVersionRecord {
    std::string section;  // "file<N>", N a file item's number
    std::string version;
};

// The value of "/self_update:" read back; nothing unless it is exactly an item
// number and a version joined by "-". A version that holds "-" itself is
// therefore never recorded.
std::optional<SelfVersionRecord> ReadHandOverValue(std::string_view value);

}  // namespace quibo
