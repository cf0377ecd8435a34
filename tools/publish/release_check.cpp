#include "publish/release_check.h"

#include <cstdint>

#include "core/config/client_config.h"
#include "core/config/server_config.h"
#include "core/package/package.h"
#include "core/signing/folder_list.h"

namespace quibo::publish {

namespace {

// The client reader asks the platform for nothing the check needs.
class QuietSeam : public ConfigSeam {
public:
    std::string ProductName() override { return {}; }
    std::string FileVersionText() override { return {}; }
    std::string FetchConfigHttp(const std::string&) override { return {}; }
    std::string FetchConfigFtp(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string FetchConfigLocal(const std::string&) override { return {}; }
    ReleaseCrypto& Crypto() override { return crypto_; }
    UtcSeconds Now() override { return 0; }
    int Random() override { return 0; }
    void ShowInfoBox(const std::string& text) override { lastBox = text; }
    std::string lastBox;

private:
    // The client reader fetches nothing, so it verifies nothing either.
    class NoCrypto : public ReleaseCrypto {
    public:
        std::unique_ptr<Sha256Hasher> NewSha256() override { return nullptr; }
        bool VerifyP256(const PublicKey&, const Sha256Digest&, const std::uint8_t*, std::size_t) override
        {
            return false;
        }
    };
    NoCrypto crypto_;
};

std::string ItemProblem(const UpdateItem& read, const PublishedItem& p)
{
    const ReleaseItem& item = *p.item;
    const std::string section = "[" + ItemSection(item.kind, item.index) + "] ";
    if (read.serverVersion != item.ver) return section + "reads back with ver " + read.serverVersion;
    if (read.addresses.size() != 1 || read.addresses[0].url != p.url)
        return section + "reads back without its address " + p.url;
    if (item.kind == ItemKind::File) {
        if (read.md5 != p.md5) return section + "reads back with md5 \"" + read.md5 + "\"";
        if (read.name != p.installName) return section + "would be installed as \"" + read.name + "\"";
    }
    return {};
}

}  // namespace

std::string CheckServerPackage(const std::string& serverPackage, const std::string& serverText,
                               const std::vector<PublishedItem>& items)
{
    const PackageRead read = ReadPackage(serverPackage, "server.dat", "");
    if (!read.duplicate.empty()) return "server.bin holds " + read.duplicate + " twice";
    if (read.text != serverText) return "server.bin does not read back as the server.dat written";
    UpdateConfig config;  // every installed version 0.0.0: every item is read
    ParseServerConfig(config, ConfigContext{}, read.text);
    for (const PublishedItem& p : items) {
        std::string problem = ItemProblem(config.Item(p.item->kind, p.item->index), p);
        if (!problem.empty()) return "server.bin: " + problem;
    }
    return {};
}

std::string CheckServerMembers(const std::vector<PackageMember>& members, const std::vector<ExpectedMember>& expected,
                               bool signed_)
{
    const std::size_t count = expected.size() + (signed_ ? 1 : 0);
    if (members.size() != count)
        return "server.bin holds " + std::to_string(members.size()) + " members, not " + std::to_string(count);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (members[i].name != expected[i].name || members[i].bytes != expected[i].bytes)
            return "server.bin: member " + std::to_string(i + 1) + " does not read back as " + expected[i].name;
        std::vector<ListedFile> files;
        std::string error;
        if (i > 0 && !ParseFolderList(members[i].bytes, files, error))
            return "server.bin: " + expected[i].name + " does not read back: " + error;
    }
    if (signed_ && members.back().name != kSignatureMember)
        return std::string("server.bin: the last member is not ") + kSignatureMember;
    return {};
}

std::string CheckClientPackage(const std::string& clientPackage, const std::vector<ExpectedMember>& members,
                               const std::string& serverUrl, const std::vector<PublishedItem>& items,
                               const std::string& clientVer)
{
    for (const ExpectedMember& m : members) {
        const PackageRead read = ReadPackage(clientPackage, m.name, "", UINT32_MAX);
        if (!read.duplicate.empty()) return "update.bin holds " + read.duplicate + " twice";
        if (read.text != m.bytes) return "update.bin: " + m.name + " does not read back as written";
    }
    UpdateConfig config;
    QuietSeam seam;
    if (!LoadClientConfig(config, ConfigContext{}, ReadPackageMember(clientPackage, "client.dat", ""), seam))
        return "update.bin: the client configuration does not load: " + seam.lastBox;
    if (config.serverAddresses.size() != 1 || config.serverAddresses[0].url != serverUrl)
        return "update.bin: client.dat does not name " + serverUrl;
    for (const PublishedItem& p : items) {
        const UpdateItem& read = config.Item(p.item->kind, p.item->index);
        if (read.clientVersion != clientVer)
            return "update.bin: [" + ItemSection(p.item->kind, p.item->index) + "] reads back with ver " +
                   read.clientVersion;
    }
    return {};
}

}  // namespace quibo::publish
