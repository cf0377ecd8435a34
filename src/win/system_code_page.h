// The lead-byte rule of the system's ANSI code page: the one every "A"
// function of Windows reads paths and command lines with. It is 936 on a
// Chinese system, but a Western system (1252) has no lead bytes, and there an
// "é" followed by "\" is two characters.
#pragma once

#include <string>

#include "core/text/code_page.h"

namespace quibo {

LeadByteRule SystemLeadBytes();

// `text` of the system's code page as UTF-16, for the "W" functions; empty
// for an empty text.
std::wstring WideFromSystem(const std::string& text);

}  // namespace quibo
