#include "publish/openssl_crypto.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ecdsa.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <fstream>
#include <vector>

#include "core/signing/hex_text.h"
#include "publish/openssl_handles.h"
#include "publish/signing_key.h"

namespace quibo::publish {

namespace {

class OpenSslSha256 : public Sha256Hasher {
public:
    explicit OpenSslSha256(EvpMdCtx context) : context_(std::move(context)) {}

    void Add(const void* data, std::size_t size) override
    {
        if (size > 0 && EVP_DigestUpdate(context_.get(), data, size) != 1) failed_ = true;
    }

    Sha256Digest Finish() override
    {
        Sha256Digest digest{};
        unsigned int length = 0;
        // A failed library call must not pass for some digest: all ones
        // matches nothing a client computes.
        if (failed_ || EVP_DigestFinal_ex(context_.get(), digest.data(), &length) != 1 || length != digest.size())
            digest.fill(0xFF);
        return digest;
    }

private:
    EvpMdCtx context_;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<Sha256Hasher> OpenSslCrypto::NewSha256()
{
    EvpMdCtx context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return nullptr;
    return std::make_unique<OpenSslSha256>(std::move(context));
}

bool OpenSslCrypto::VerifyP256(const PublicKey& key, const Sha256Digest& digest, const std::uint8_t* signature,
                               std::size_t signatureSize)
{
    if (signatureSize != 64) return false;
    EvpPkey pkey = PublicP256Key(key);
    if (!pkey) return false;
    // The client takes r then s; OpenSSL takes DER.
    EcdsaSig sig(ECDSA_SIG_new());
    BIGNUM* r = BN_bin2bn(signature, 32, nullptr);
    BIGNUM* s = BN_bin2bn(signature + 32, 32, nullptr);
    if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
        BN_free(r);
        BN_free(s);
        return false;
    }
    unsigned char* der = nullptr;
    const int derSize = i2d_ECDSA_SIG(sig.get(), &der);
    if (derSize <= 0) return false;
    OpenSslBytes derOwner(der);
    EvpPkeyCtx context(EVP_PKEY_CTX_new_from_pkey(nullptr, pkey.get(), nullptr));
    const bool valid = context && EVP_PKEY_verify_init(context.get()) == 1 &&
                       EVP_PKEY_verify(context.get(), der, static_cast<std::size_t>(derSize), digest.data(),
                                       digest.size()) == 1;
    ERR_clear_error();
    return valid;
}

bool FileSha256(const std::string& path, ReleaseCrypto& crypto, std::string& sha256, std::uint64_t& size)
{
    std::ifstream in(path, std::ios::binary);
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    if (!in || !hasher) return false;
    std::vector<char> buffer(1 << 16);
    size = 0;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        hasher->Add(buffer.data(), got);
        size += got;
    }
    if (in.bad() || !in.eof()) return false;
    sha256 = ToHex(hasher->Finish());
    return true;
}

}  // namespace quibo::publish
