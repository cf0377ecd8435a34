#include "publish/release_signing.h"

#include "core/signing/public_keys.h"
#include "core/signing/signature_file.h"

namespace quibo::publish {

namespace {

// Gathers the message itself: OpenSSL hashes it while signing.
class MessageBytes : public Sha256Hasher {
public:
    void Add(const void* data, std::size_t size) override { bytes.append(static_cast<const char*>(data), size); }
    Sha256Digest Finish() override { return {}; }  // never asked: the bytes are the result
    std::string bytes;
};

}  // namespace

bool SignatureText(const std::vector<PackageMember>& members, const std::vector<SigningKey>& keys,
                   ReleaseCrypto& crypto, std::string& text, std::string& error)
{
    MessageBytes message;
    AddSignedMessage(members, message);
    std::vector<SignatureEntry> entries;
    for (const SigningKey& key : keys) {
        SignatureEntry entry;
        entry.keyId = KeyIdOf(key.Public(), crypto);
        if (entry.keyId.empty() || !key.Sign(message.bytes, entry.signature)) {
            error = "OpenSSL could not sign the server package";
            return false;
        }
        entries.push_back(entry);
    }
    text = FormatSignatureFile(entries);
    return true;
}

std::string CheckSignatures(const std::vector<PackageMember>& members, const std::vector<PublicKey>& keys,
                            ReleaseCrypto& crypto)
{
    if (members.empty() || members.back().name != kSignatureMember)
        return std::string("the last member is not ") + kSignatureMember;
    for (std::size_t i = 0; i + 1 < members.size(); ++i)
        if (IsSignatureMember(members[i].name)) return std::string("holds ") + kSignatureMember + " twice";
    std::vector<SignatureEntry> entries;
    std::string error;
    if (!ParseSignatureFile(members.back().bytes, entries, error)) return kSignatureMember + (": " + error);
    if (entries.size() != keys.size())
        return std::string(kSignatureMember) + " holds " + std::to_string(entries.size()) + " signatures for " +
               std::to_string(keys.size()) + " keys";
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    if (!hasher) return "no SHA-256 from OpenSSL";
    AddSignedMessage(members, *hasher);
    const Sha256Digest digest = hasher->Finish();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string which = "signature " + std::to_string(i + 1);
        if (entries[i].keyId != KeyIdOf(keys[i], crypto)) return which + " does not name its key";
        if (!crypto.VerifyP256(keys[i], digest, entries[i].signature.data(), entries[i].signature.size()))
            return which + " does not verify";
    }
    return {};
}

}  // namespace quibo::publish
