// Names that come from outside (a server listing, an archive member) are
// placed below local folders; a name must never be able to point anywhere
// else, nor at anything but the one file it names.
#pragma once

#include <string_view>

#include "core/text/code_page.h"

namespace quibo {

// True for a name that can only mean one entry inside the folder it is
// listed in: not empty nor made of dots only (".", ".."), and without "/",
// "\", ":" (drive or stream) or control characters ("x..y" is plain). A code page 936 character whose trail byte
// is 0x5C is not a "\".
bool IsPlainName(std::string_view name, TextCharset charset = kBuildCharset);

// True for one path component that Windows does not keep as a file name of
// its own: a device name (CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, CONIN$,
// CONOUT$, and in UTF-8 also COM and LPT with a superscript 1, 2 or 3), in
// any case, alone or with an extension ("nul.txt", "lpt1 .dll"); or a name
// ending in "." or " ", which Windows drops, so that "a.txt." and "a.txt"
// would land on one file.
bool IsReservedWindowsName(std::string_view name, TextCharset charset = kBuildCharset);

}  // namespace quibo
