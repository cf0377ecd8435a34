// The release checks' cryptography on the publisher's side: SHA-256 and
// P-256 signature verification through OpenSSL's libcrypto. The publisher
// verifies what it signed with this before a release goes public, and names
// keys with it, so it computes exactly what a client will.
#pragma once

#include <string>

#include "core/signing/release_crypto.h"

namespace quibo::publish {

class OpenSslCrypto : public ReleaseCrypto {
public:
    std::unique_ptr<Sha256Hasher> NewSha256() override;
    bool VerifyP256(const PublicKey& key, const Sha256Digest& digest, const std::uint8_t* signature,
                    std::size_t signatureSize) override;
};

// The SHA-256 of a file's bytes as 64 lower-case hex digits and its size;
// false when it cannot be read whole.
bool FileSha256(const std::string& path, ReleaseCrypto& crypto, std::string& sha256, std::uint64_t& size);

}  // namespace quibo::publish
