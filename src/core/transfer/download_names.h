// Names under which downloads are placed: the check that a name from a
// server or a listing can only mean one file inside its item's folder, and
// the one-level name a folder item's file gets in that folder.
#pragma once

#include <string>
#include <string_view>

#include "core/text/code_page.h"
#include "core/transfer/download_records.h"

namespace quibo {

// Why `name` cannot be a file's name in a download folder: empty, "..", a
// path separator, ":", a character Windows forbids in names (< > " | ? *
// and control characters), or a device name (or a name Windows would
// shorten, see IsReservedWindowsName). Empty when the name is safe.
std::string UnsafeNameReason(std::string_view name, TextCharset charset = kBuildCharset);

// The same for a record of a folder listing: its name and every part of
// its subfolder (which may be empty, and is split at "\" and "/").
std::string UnsafeRecordReason(const DownloadRecord& record, TextCharset charset = kBuildCharset);

// The name a folder item's file is kept under: the folder it was listed in
// and its own name, joined by the only "." of the result. Inside each part
// "_" becomes "__", "." "_d", "\" and "/" "_s" and ":" "_c", so two
// different (folder, name) pairs never give one name ("a.b" + "c" and
// "a" + "b.c" stay apart). Double-byte characters are copied whole.
std::string FlattenedName(std::string_view folder, std::string_view name, LeadByteRule rule = kBuildCharset);

}  // namespace quibo
