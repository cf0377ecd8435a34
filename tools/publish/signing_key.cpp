#include "publish/signing_key.h"

#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/param_build.h>
#include <openssl/pem.h>

#include <cstring>

namespace quibo::publish {

namespace {

constexpr char kCurve[] = "prime256v1";  // P-256 by OpenSSL's name

struct PassphraseAsk {
    const std::optional<std::string>* passphrase = nullptr;
    bool asked = false;
};

// Called only for an encrypted key. Without a passphrase it refuses, so the
// library never prompts on the terminal.
int GivePassphrase(char* buffer, int size, int /*writing*/, void* data)
{
    auto* ask = static_cast<PassphraseAsk*>(data);
    ask->asked = true;
    if (!*ask->passphrase) return -1;
    const std::string& text = **ask->passphrase;
    if (text.size() > static_cast<std::size_t>(size)) return -1;
    std::memcpy(buffer, text.data(), text.size());
    return static_cast<int>(text.size());
}

bool CoordinateOf(const EVP_PKEY* key, const char* name, std::uint8_t* out)
{
    BIGNUM* raw = nullptr;
    if (EVP_PKEY_get_bn_param(key, name, &raw) != 1) return false;
    Bignum value(raw);
    return BN_bn2binpad(value.get(), out, 32) == 32;
}

}  // namespace

std::optional<SigningKey> SigningKey::Generate(std::string& error)
{
    EvpPkey key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", kCurve));
    ERR_clear_error();
    if (!key) {
        error = "OpenSSL could not make a P-256 key";
        return std::nullopt;
    }
    return Adopt(std::move(key), "the new key", error);
}

std::optional<SigningKey> SigningKey::FromPem(std::string_view pem, const std::optional<std::string>& passphrase,
                                              const std::string& origin, std::string& error)
{
    Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    PassphraseAsk ask{&passphrase};
    EvpPkey key(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, GivePassphrase, &ask) : nullptr);
    ERR_clear_error();
    if (!key) {
        if (ask.asked && !passphrase)
            error = origin + " is encrypted: set " + kPassphraseVariable + " to its passphrase";
        else if (ask.asked)
            error = origin + " does not open with the passphrase in " + kPassphraseVariable + " (wrong passphrase)";
        else
            error = origin + " is not a private key in PEM form";
        return std::nullopt;
    }
    return Adopt(std::move(key), origin, error);
}

std::optional<SigningKey> SigningKey::Adopt(EvpPkey key, const std::string& origin, std::string& error)
{
    char curve[64] = {0};
    std::size_t length = 0;
    PublicKey point{};
    const bool p256 = EVP_PKEY_is_a(key.get(), "EC") &&
                      EVP_PKEY_get_group_name(key.get(), curve, sizeof curve, &length) == 1 &&
                      std::strcmp(curve, kCurve) == 0;
    if (!p256 || !CoordinateOf(key.get(), OSSL_PKEY_PARAM_EC_PUB_X, point.data()) ||
        !CoordinateOf(key.get(), OSSL_PKEY_PARAM_EC_PUB_Y, point.data() + 32)) {
        ERR_clear_error();
        error = origin + " is not a P-256 (prime256v1) key; quibo-publish keygen makes one";
        return std::nullopt;
    }
    return SigningKey(std::move(key), point);
}

std::string SigningKey::Pem(const std::optional<std::string>& passphrase) const
{
    Bio bio(BIO_new(BIO_s_mem()));
    const EVP_CIPHER* cipher = passphrase ? EVP_aes_256_cbc() : nullptr;
    const char* pass = passphrase ? passphrase->data() : nullptr;
    const int passLength = passphrase ? static_cast<int>(passphrase->size()) : 0;
    if (!bio || PEM_write_bio_PKCS8PrivateKey(bio.get(), key_.get(), cipher, pass, passLength, nullptr, nullptr) != 1) {
        ERR_clear_error();
        return {};
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

bool SigningKey::Sign(std::string_view message, SignatureBytes& signature) const
{
    EvpMdCtx context(EVP_MD_CTX_new());
    std::size_t derSize = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
    if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key_.get()) != 1 ||
        EVP_DigestSign(context.get(), nullptr, &derSize, bytes, message.size()) != 1) {
        ERR_clear_error();
        return false;
    }
    std::string der(derSize, '\0');
    auto* derBytes = reinterpret_cast<unsigned char*>(der.data());
    if (EVP_DigestSign(context.get(), derBytes, &derSize, bytes, message.size()) != 1) {
        ERR_clear_error();
        return false;
    }
    // OpenSSL gives DER; the client takes r then s, 32 bytes each.
    const unsigned char* read = derBytes;
    EcdsaSig sig(d2i_ECDSA_SIG(nullptr, &read, static_cast<long>(derSize)));
    const BIGNUM* r = nullptr;
    const BIGNUM* s = nullptr;
    if (sig) ECDSA_SIG_get0(sig.get(), &r, &s);
    const bool done = sig && BN_bn2binpad(r, signature.data(), 32) == 32 &&
                      BN_bn2binpad(s, signature.data() + 32, 32) == 32;
    ERR_clear_error();
    return done;
}

EvpPkey PublicP256Key(const PublicKey& key)
{
    unsigned char point[65];
    point[0] = 0x04;  // uncompressed: X then Y follow
    std::memcpy(point + 1, key.data(), key.size());
    std::unique_ptr<OSSL_PARAM_BLD, OpenSslFree<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>> build(OSSL_PARAM_BLD_new());
    if (!build || OSSL_PARAM_BLD_push_utf8_string(build.get(), OSSL_PKEY_PARAM_GROUP_NAME, kCurve, 0) != 1 ||
        OSSL_PARAM_BLD_push_octet_string(build.get(), OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point) != 1)
        return nullptr;
    std::unique_ptr<OSSL_PARAM, OpenSslFree<OSSL_PARAM, OSSL_PARAM_free>> params(OSSL_PARAM_BLD_to_param(build.get()));
    EvpPkeyCtx context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    EVP_PKEY* made = nullptr;
    if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
        EVP_PKEY_fromdata(context.get(), &made, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
        ERR_clear_error();
        return nullptr;
    }
    return EvpPkey(made);
}

}  // namespace quibo::publish
