#include "core/signing/public_keys.h"

#include "core/signing/hex_text.h"
#include "core/text/split.h"

namespace quibo {

namespace {

constexpr std::size_t kKeyIdDigits = 16;

}  // namespace

std::string FormatPublicKey(const PublicKey& key) { return ToHex(key); }

bool ParsePublicKeys(std::string_view text, std::vector<PublicKey>& keys, std::string& error)
{
    keys.clear();
    error.clear();
    const std::vector<std::string> pieces = SplitString(text, ";;");
    if (pieces.size() > kMaxPublicKeys) {
        error = "more than " + std::to_string(kMaxPublicKeys) + " public keys";
        return false;
    }
    for (const std::string& piece : pieces) {
        PublicKey key{};
        if (!FromHex(piece, key)) {
            error = "a public key that is not 128 hex digits";
            keys.clear();
            return false;
        }
        keys.push_back(key);
    }
    return true;
}

std::string KeyIdOf(const PublicKey& key, ReleaseCrypto& crypto)
{
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    if (!hasher) return {};
    hasher->Add(key.data(), key.size());
    return ToHex(hasher->Finish()).substr(0, kKeyIdDigits);
}

}  // namespace quibo
