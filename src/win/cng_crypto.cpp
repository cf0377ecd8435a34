#include "win/cng_crypto.h"

#include <bcrypt.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "win/cng_handles.h"

namespace quibo {
namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

UniqueCngAlgorithm OpenProvider(const wchar_t* algorithm)
{
    BCRYPT_ALG_HANDLE handle = nullptr;
    if (!Succeeded(::BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, 0))) return {};
    return UniqueCngAlgorithm(handle);
}

// Opening a provider costs far more than hashing a small file, so each is
// opened once, on first use, and kept for the life of the process. A provider
// handle may be shared by threads; the objects made from it may not.
struct Providers {
    UniqueCngAlgorithm sha256 = OpenProvider(BCRYPT_SHA256_ALGORITHM);
    UniqueCngAlgorithm p256 = OpenProvider(BCRYPT_ECDSA_P256_ALGORITHM);
};

const Providers& SharedProviders()
{
    static const Providers providers;  // made once, whichever thread comes first
    return providers;
}

class CngSha256 final : public Sha256Hasher {
public:
    explicit CngSha256(UniqueCngHash hash) : hash_(std::move(hash)) {}

    void Add(const void* data, std::size_t size) override
    {
        // A CNG hash object is not bound to the thread that made it: the
        // caller may hand this hasher to a worker.
        auto bytes = static_cast<PUCHAR>(const_cast<void*>(data));
        while (size > 0 && !failed_) {
            ULONG part = static_cast<ULONG>(std::min<std::size_t>(size, std::numeric_limits<ULONG>::max()));
            failed_ = !Succeeded(::BCryptHashData(hash_.Get(), bytes, part, 0));
            bytes += part;
            size -= part;
        }
    }

    // After a failed call the digest stays all zero bytes: it then matches
    // no digest a release names, so the check fails rather than passes.
    Sha256Digest Finish() override
    {
        Sha256Digest digest{};
        if (!failed_ && !Succeeded(::BCryptFinishHash(hash_.Get(), digest.data(), digest.size(), 0))) digest = {};
        failed_ = true;  // spent
        return digest;
    }

private:
    UniqueCngHash hash_;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<Sha256Hasher> CngCrypto::NewSha256()
{
    const UniqueCngAlgorithm& provider = SharedProviders().sha256;
    if (!provider) return nullptr;
    // No object buffer: CNG keeps the hash state itself (Windows 7 and later).
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!Succeeded(::BCryptCreateHash(provider.Get(), &hash, nullptr, 0, nullptr, 0, 0))) return nullptr;
    return std::make_unique<CngSha256>(UniqueCngHash(hash));
}

bool CngCrypto::VerifyP256(const PublicKey& key, const Sha256Digest& digest, const std::uint8_t* signature,
                           std::size_t signatureSize)
{
    // Only r then s, 32 bytes each; a DER signature or a cut one never
    // reaches CNG.
    if (!signature || signatureSize != std::tuple_size<SignatureBytes>::value) return false;
    const UniqueCngAlgorithm& provider = SharedProviders().p256;
    if (!provider) return false;

    struct {
        BCRYPT_ECCKEY_BLOB header;
        UCHAR point[std::tuple_size<PublicKey>::value];
    } blob{};
    blob.header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    blob.header.cbKey = static_cast<ULONG>(key.size() / 2);
    std::memcpy(blob.point, key.data(), key.size());
    static_assert(sizeof blob == sizeof(BCRYPT_ECCKEY_BLOB) + std::tuple_size<PublicKey>::value,
                  "the key blob is the header followed by X and Y");

    BCRYPT_KEY_HANDLE imported = nullptr;
    // A point that is not on the curve is refused here or, at the latest, by
    // the verification.
    if (!Succeeded(::BCryptImportKeyPair(provider.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &imported,
                                         reinterpret_cast<PUCHAR>(&blob), sizeof blob, 0)))
        return false;
    UniqueCngKey owned(imported);

    // The CNG call takes writable pointers; it gets copies.
    Sha256Digest hash = digest;
    SignatureBytes rs{};
    std::memcpy(rs.data(), signature, rs.size());
    return ::BCryptVerifySignature(owned.Get(), nullptr, hash.data(), hash.size(), rs.data(), rs.size(), 0) == 0;
}

bool Sha256OfHandle(HANDLE file, ReleaseCrypto& crypto, Sha256Digest& digest, std::uint64_t& size)
{
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    if (!hasher) return false;
    // Large reads: the cost per call, not the hashing, bounds small ones.
    constexpr DWORD kBlock = 1 << 20;
    std::vector<std::uint8_t> buffer(kBlock);
    std::uint64_t total = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer.data(), kBlock, &got, nullptr)) return false;
        if (got == 0) break;
        hasher->Add(buffer.data(), got);
        total += got;
    }
    digest = hasher->Finish();
    size = total;
    return true;
}

}  // namespace quibo
