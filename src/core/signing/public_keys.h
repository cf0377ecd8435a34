// The publisher's public keys as the client configuration lists them:
// `pubkey=` in [system], up to four keys of 128 hex digits (X then Y of the
// uncompressed point) separated by ";;".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/signing/release_crypto.h"

namespace quibo {

constexpr std::size_t kMaxPublicKeys = 4;

// 128 lower-case hex digits.
std::string FormatPublicKey(const PublicKey& key);

// The keys of a `pubkey` value; empty text gives none. False with a reason
// when a key is not 128 hex digits or there are more than kMaxPublicKeys.
bool ParsePublicKeys(std::string_view text, std::vector<PublicKey>& keys, std::string& error);

// How a signature names its key: the first 16 hex digits of the SHA-256 of
// the key's 64 bytes. Empty when no hasher could be made.
std::string KeyIdOf(const PublicKey& key, ReleaseCrypto& crypto);

}  // namespace quibo
