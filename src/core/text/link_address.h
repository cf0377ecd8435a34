// Which addresses a skinned link may hand to the shell. A skin comes with the
// configuration package from the server, so a link may only open a web page or
// a mail form, never a program, a local file or a script.
#pragma once

#include <string_view>

namespace quibo {

// True for "http://", "https://" and "mailto:" addresses (the scheme in any
// case) with something after the scheme. Addresses holding a control
// character, a space or a double quote are refused too: the shell pastes the
// address into the browser's command line, where such a character could end
// the argument and start another.
bool IsOpenableLink(std::string_view url);

}  // namespace quibo
