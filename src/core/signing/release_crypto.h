// What the release checks need of a cryptography library: SHA-256 and the
// verification of ECDSA signatures on the curve P-256. The program gives the
// Windows CNG functions (win/cng_crypto.h), the publisher OpenSSL's; the
// portable code that decides what to accept only sees this interface.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace quibo {

using Sha256Digest = std::array<std::uint8_t, 32>;
// The public point of a P-256 key: X then Y, 32 bytes each, big-endian.
using PublicKey = std::array<std::uint8_t, 64>;
// An ECDSA signature as r then s, 32 bytes each, big-endian (not DER).
using SignatureBytes = std::array<std::uint8_t, 64>;

class Sha256Hasher {
public:
    virtual ~Sha256Hasher() = default;
    virtual void Add(const void* data, std::size_t size) = 0;
    // The digest of everything added; the hasher is spent afterwards.
    virtual Sha256Digest Finish() = 0;

    void Add(std::string_view bytes) { Add(bytes.data(), bytes.size()); }
};

class ReleaseCrypto {
public:
    virtual ~ReleaseCrypto() = default;
    // A fresh hasher; null when the library cannot make one.
    virtual std::unique_ptr<Sha256Hasher> NewSha256() = 0;
    // True only when `signature` (r then s; any other length is refused) is
    // a valid signature by `key` of the message whose SHA-256 is `digest`.
    virtual bool VerifyP256(const PublicKey& key, const Sha256Digest& digest, const std::uint8_t* signature,
                            std::size_t signatureSize) = 0;
};

}  // namespace quibo
