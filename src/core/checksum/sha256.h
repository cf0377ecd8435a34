// SHA-256 (FIPS 180-4) of a short byte string, for names that must not
// depend on a system library being usable: the release checks themselves
// hash through the crypto interface instead.
#pragma once

#include <string_view>

#include "core/signing/release_crypto.h"

namespace quibo {

Sha256Digest Sha256Of(std::string_view bytes);

}  // namespace quibo
