// What a client trusts and what a signed release says of itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/signing/release_crypto.h"
#include "core/signing/utc_time.h"

namespace quibo {

// From the client configuration's [system]: `pubkey`, `product` and the
// `sequence` of the last release installed. Without keys the client takes
// unsigned server packages, as before signatures existed.
struct ReleaseTrust {
    std::vector<PublicKey> keys;
    std::string product;
    std::uint64_t sequence = 0;
    // `pubkey` given but not readable: no package can be verified, and none
    // is taken unsigned either.
    bool keysMalformed = false;

    bool RequiresSignature() const { return !keys.empty() || keysMalformed; }
};

// The [meta] section of a signed package's "server.dat".
struct ReleaseMeta {
    std::string product;
    std::uint64_t sequence = 0;
    std::optional<UtcSeconds> expires;
};

}  // namespace quibo
