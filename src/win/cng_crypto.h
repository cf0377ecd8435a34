// SHA-256 and ECDSA P-256 verification through the Windows CNG functions
// (bcrypt.dll): the release checks need no library of their own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/signing/release_crypto.h"

namespace quibo {

class CngCrypto final : public ReleaseCrypto {
public:
    std::unique_ptr<Sha256Hasher> NewSha256() override;
    bool VerifyP256(const PublicKey& key, const Sha256Digest& digest, const std::uint8_t* signature,
                    std::size_t signatureSize) override;
};

// The SHA-256 of what is left to read in `file` (read from its current
// position to the end) and the number of bytes read. False when a read
// fails or no hasher can be made.
bool Sha256OfHandle(HANDLE file, ReleaseCrypto& crypto, Sha256Digest& digest, std::uint64_t& size);

}  // namespace quibo
