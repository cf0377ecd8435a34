// The publisher's private P-256 key: made by "quibo-publish keygen", kept as
// PEM (PKCS#8, encrypted with AES-256-CBC under a passphrase when one is
// given), read back to sign releases.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/signing/release_crypto.h"
#include "publish/openssl_handles.h"

namespace quibo::publish {

// The environment variable that holds a key's passphrase.
constexpr char kPassphraseVariable[] = "QUIBO_KEY_PASSPHRASE";

class SigningKey {
public:
    // A new random key; nullopt with a reason when the library fails.
    static std::optional<SigningKey> Generate(std::string& error);
    // The key in the PEM text `pem`, opened with `passphrase` when it is
    // encrypted; nullopt with a one-line reason naming `origin` otherwise:
    // not PEM, not a P-256 key, encrypted without or with the wrong
    // passphrase.
    static std::optional<SigningKey> FromPem(std::string_view pem, const std::optional<std::string>& passphrase,
                                             const std::string& origin, std::string& error);

    const PublicKey& Public() const { return public_; }
    // The PKCS#8 PEM text, encrypted when `passphrase` is given; empty when
    // the library fails.
    std::string Pem(const std::optional<std::string>& passphrase) const;
    // Signs SHA-256 of `message`: r then s. False when the library fails.
    bool Sign(std::string_view message, SignatureBytes& signature) const;

private:
    SigningKey(EvpPkey key, const PublicKey& publicKey) : key_(std::move(key)), public_(publicKey) {}
    static std::optional<SigningKey> Adopt(EvpPkey key, const std::string& origin, std::string& error);

    EvpPkey key_;
    PublicKey public_{};
};

// An OpenSSL key for the public point `key` (X then Y); null when it is not
// a point of the curve.
EvpPkey PublicP256Key(const PublicKey& key);

}  // namespace quibo::publish
