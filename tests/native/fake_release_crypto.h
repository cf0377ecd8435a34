// A stand-in for the cryptography library: a digest that is not SHA-256 but
// changes with every byte, and "signatures" anyone can make, so that the
// decisions around them can be tested without keys.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/signing/release_crypto.h"

namespace fakecrypto {

using namespace quibo;

// Four FNV-1a sums with different starts: a different digest for any
// different message a test builds.
inline Sha256Digest FakeDigest(const std::string& message)
{
    Sha256Digest digest{};
    for (int part = 0; part < 4; ++part) {
        std::uint64_t h = 14695981039346656037ull + static_cast<std::uint64_t>(part) * 0x9E3779B97F4A7C15ull;
        for (unsigned char c : message) h = (h ^ c) * 1099511628211ull;
        for (int i = 0; i < 8; ++i) digest[static_cast<std::size_t>(part * 8 + i)] = static_cast<std::uint8_t>(h >> (8 * i));
    }
    return digest;
}

// Keeps every byte added, for tests that look at the message itself.
class RecordingHasher : public Sha256Hasher {
public:
    explicit RecordingHasher(std::string* sink = nullptr) : sink_(sink) {}
    void Add(const void* data, std::size_t size) override
    {
        bytes_.append(static_cast<const char*>(data), size);
        if (sink_) sink_->append(static_cast<const char*>(data), size);
    }
    Sha256Digest Finish() override { return FakeDigest(bytes_); }

private:
    std::string bytes_;
    std::string* sink_;
};

// The "signature" of `digest` by `key`: the digest, then the key's first half.
inline SignatureBytes FakeSign(const PublicKey& key, const Sha256Digest& digest)
{
    SignatureBytes signature{};
    std::memcpy(signature.data(), digest.data(), 32);
    std::memcpy(signature.data() + 32, key.data(), 32);
    return signature;
}

class FakeCrypto : public ReleaseCrypto {
public:
    std::unique_ptr<Sha256Hasher> NewSha256() override { return std::make_unique<RecordingHasher>(); }
    bool VerifyP256(const PublicKey& key, const Sha256Digest& digest, const std::uint8_t* signature,
                    std::size_t signatureSize) override
    {
        ++verifications;
        const SignatureBytes expected = FakeSign(key, digest);
        return signatureSize == expected.size() && std::memcmp(signature, expected.data(), expected.size()) == 0;
    }
    int verifications = 0;
};

// A key whose bytes are all `seed`.
inline PublicKey FakeKey(std::uint8_t seed)
{
    PublicKey key{};
    key.fill(seed);
    return key;
}

}  // namespace fakecrypto
