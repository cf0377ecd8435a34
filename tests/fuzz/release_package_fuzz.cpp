// What a signed release brings from outside: "server.sig", the [meta] of
// "server.dat", the folder lists, a client's `pubkey`, and whole server
// packages. Each reader either refuses the text or gives what writes back
// to the same values; a package is judged without crashing whatever it holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/signing/folder_list.h"
#include "core/signing/public_keys.h"
#include "core/signing/release_meta.h"
#include "core/signing/server_package.h"
#include "core/signing/signature_file.h"
#include "../native/fake_release_crypto.h"

using namespace quibo;

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

void SignatureFile(const std::string& text)
{
    std::vector<SignatureEntry> entries;
    std::string error;
    if (!ParseSignatureFile(text, entries, error)) return;
    Require(!entries.empty() && entries.size() <= kMaxPackageSignatures);
    std::vector<SignatureEntry> again;
    Require(ParseSignatureFile(FormatSignatureFile(entries), again, error) && again.size() == entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        Require(again[i].keyId == entries[i].keyId && again[i].signature == entries[i].signature);
}

void Meta(const std::string& text)
{
    ReleaseMeta meta;
    if (!ParseReleaseMeta(text, meta)) return;
    if (meta.expires) {
        UtcSeconds time = 0;
        Require(ParseUtcTime(FormatUtcTime(*meta.expires), time) && time == *meta.expires);
    }
    ReleaseTrust trust;
    trust.product = meta.product;
    trust.sequence = meta.sequence;
    Require(CheckReleaseMeta(meta, trust, meta.expires ? *meta.expires : 0) == MetaCheck::Accepted);
}

void FolderList(const std::string& text)
{
    std::vector<ListedFile> files;
    std::string error;
    if (!ParseFolderList(text, files, error)) return;
    std::vector<ListedFile> again;
    Require(ParseFolderList(FormatFolderList(files), again, error) && again.size() == files.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        Require(again[i].name == files[i].name && again[i].size == files[i].size &&
                again[i].sha256 == files[i].sha256);
}

void PublicKeys(const std::string& text)
{
    std::vector<PublicKey> keys;
    std::string error;
    if (!ParsePublicKeys(text, keys, error)) return;
    Require(keys.size() <= kMaxPublicKeys);
    std::string joined;
    for (const PublicKey& key : keys) joined += (joined.empty() ? "" : ";;") + FormatPublicKey(key);
    std::vector<PublicKey> again;
    Require(ParsePublicKeys(joined, again, error) && again == keys);
}

void Package(const std::string& bytes)
{
    fakecrypto::FakeCrypto crypto;
    ReleaseTrust trust;
    trust.keys = {fakecrypto::FakeKey(1)};
    trust.product = "Acme";
    const PackageVerdict verdict = OpenServerPackage(bytes, trust, crypto, 0);
    Require(verdict.Accepted() == (verdict.package.meta.has_value()));
    (void)RefusalText(verdict, trust);
    const PackageVerdict unsignedVerdict = OpenServerPackage(bytes, ReleaseTrust(), crypto, 0);
    Require(!unsignedVerdict.Accepted() || !unsignedVerdict.package.serverText.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    SignatureFile(input);
    Meta(input);
    FolderList(input);
    PublicKeys(input);
    Package(input);
    return 0;
}
