#include "core/signing/server_package.h"

#include <algorithm>
#include <utility>

#include "core/config/config_ini.h"
#include "core/config/update_item.h"
#include "core/package/package.h"
#include "core/signing/hex_text.h"
#include "core/signing/public_keys.h"
#include "core/signing/release_meta.h"
#include "core/signing/signature_file.h"
#include "core/signing/signed_message.h"
#include "core/text/case_fold.h"
#include "core/text/decimal.h"
#include "core/text/trim.h"

namespace quibo {

namespace {

constexpr char kServerMember[] = "server.dat";

PackageVerdict Refused(PackageCheck check, std::string detail = {})
{
    PackageVerdict verdict;
    verdict.check = check;
    verdict.detail = std::move(detail);
    return verdict;
}

// Found as the archive finds a member: ASCII letters in any case.
const PackageMember* Member(const std::vector<PackageMember>& members, std::string_view name)
{
    auto it = std::find_if(members.begin(), members.end(),
                           [&](const PackageMember& m) { return EqualsNoCase(m.name, name); });
    return it == members.end() ? nullptr : &*it;
}

PackageVerdict OpenUnsigned(std::string package)
{
    PackageRead read = ExtractPackage(std::move(package), kServerMember, "");
    if (!read.duplicate.empty()) return Refused(PackageCheck::DuplicateMember, read.duplicate);
    if (read.text.empty()) return Refused(PackageCheck::Unreadable);
    PackageVerdict verdict;
    verdict.check = PackageCheck::Accepted;
    verdict.package.serverText = std::move(read.text);
    return verdict;
}

// Whether one of the signatures is by one of `keys` and verifies over the
// package's message.
bool SignedByTrustedKey(const std::vector<PackageMember>& members, const std::vector<SignatureEntry>& signatures,
                        const std::vector<PublicKey>& keys, ReleaseCrypto& crypto)
{
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    if (!hasher) return false;
    AddSignedMessage(members, *hasher);
    const Sha256Digest digest = hasher->Finish();

    std::vector<std::string> keyIds;
    for (const PublicKey& key : keys) keyIds.push_back(KeyIdOf(key, crypto));
    for (const SignatureEntry& entry : signatures)
        for (std::size_t k = 0; k < keys.size(); ++k)
            if (!keyIds[k].empty() && keyIds[k] == entry.keyId &&
                crypto.VerifyP256(keys[k], digest, entry.signature.data(), entry.signature.size()))
                return true;
    return false;
}

PackageCheck MetaRefusal(MetaCheck check)
{
    switch (check) {
    case MetaCheck::Accepted: return PackageCheck::Accepted;
    case MetaCheck::Malformed: return PackageCheck::BadMeta;
    case MetaCheck::OtherProduct: return PackageCheck::OtherProduct;
    case MetaCheck::OlderSequence: return PackageCheck::OlderSequence;
    case MetaCheck::Expired: return PackageCheck::Expired;
    }
    return PackageCheck::BadMeta;
}

// An item the package offers: addresses given and a version above "0.0.0",
// as the server configuration reads it.
bool Offered(CConfigIni& ini, const std::string& section)
{
    return !ini.GetString(section, "urls", "").empty() && ini.GetString(section, "ver", "0.0.0") != "0.0.0";
}

bool FileItemComplete(CConfigIni& ini, const std::string& section)
{
    Sha256Digest digest{};
    std::uint64_t size = 0;
    return FromHex(Trim(ini.GetString(section, "sha256")), digest) &&
           ParseDigits(Trim(ini.GetString(section, "size")), size);
}

// Every offered item carries what its download is checked against; the
// folder lists are kept. Refused with the first item that does not.
PackageVerdict CheckItems(const std::vector<PackageMember>& members, PackageVerdict verdict)
{
    CConfigIni ini;
    ini.LoadText(verdict.package.serverText);
    for (int n = 0; n < kFileItemCount; ++n) {
        const std::string section = ItemSection(ItemKind::File, n);
        if (Offered(ini, section) && !FileItemComplete(ini, section))
            return Refused(PackageCheck::IncompleteFile, section);
    }
    for (int n = 0; n < kDirItemCount; ++n) {
        if (!Offered(ini, ItemSection(ItemKind::Dir, n))) continue;
        const std::string name = FolderListMember(n);
        const PackageMember* list = Member(members, name);
        std::vector<ListedFile> files;
        std::string error;
        if (!list || !ParseFolderList(list->bytes, files, error)) return Refused(PackageCheck::IncompleteFolder, name);
        verdict.package.lists[n] = std::move(files);
    }
    return verdict;
}

}  // namespace

PackageVerdict OpenServerPackage(std::string package, const ReleaseTrust& trust, ReleaseCrypto& crypto,
                                 UtcSeconds now)
{
    if (!trust.RequiresSignature()) return OpenUnsigned(std::move(package));
    if (trust.keysMalformed) return Refused(PackageCheck::UntrustedKeys);

    PackageMembers all = ExtractAllMembers(std::move(package), kMaxSignedMember, kMaxSignedMembers);
    if (!all.duplicate.empty()) return Refused(PackageCheck::DuplicateMember, all.duplicate);
    if (!all.read) return Refused(PackageCheck::Unreadable);

    // Nothing of the package is looked at before its signature holds.
    const PackageMember* sig = Member(all.members, kSignatureMember);
    std::vector<SignatureEntry> signatures;
    std::string error;
    if (!sig || !ParseSignatureFile(sig->bytes, signatures, error)) return Refused(PackageCheck::NoSignature);
    if (!SignedByTrustedKey(all.members, signatures, trust.keys, crypto)) return Refused(PackageCheck::BadSignature);

    const PackageMember* server = Member(all.members, kServerMember);
    if (!server || server->bytes.empty()) return Refused(PackageCheck::Unreadable);
    ReleaseMeta meta;
    if (!ParseReleaseMeta(server->bytes, meta)) return Refused(PackageCheck::BadMeta);
    const PackageCheck metaCheck = MetaRefusal(CheckReleaseMeta(meta, trust, now));
    if (metaCheck == PackageCheck::OtherProduct) return Refused(metaCheck, meta.product);
    if (metaCheck == PackageCheck::OlderSequence) return Refused(metaCheck, std::to_string(meta.sequence));
    if (metaCheck == PackageCheck::Expired) return Refused(metaCheck, FormatUtcTime(*meta.expires));

    PackageVerdict verdict;
    verdict.check = PackageCheck::Accepted;
    verdict.package.serverText = server->bytes;
    verdict.package.meta = meta;
    return CheckItems(all.members, std::move(verdict));
}

std::string RefusalText(const PackageVerdict& verdict, const ReleaseTrust& trust)
{
    const std::string& d = verdict.detail;
    switch (verdict.check) {
    case PackageCheck::Accepted:
    case PackageCheck::Unreadable: return {};
    case PackageCheck::DuplicateMember: return "错误：服务器端配置文件包中有重名的文件：" + d + "！";
    case PackageCheck::UntrustedKeys: return "错误：客户端配置中的公钥有误，不接受任何服务器端配置包！";
    case PackageCheck::NoSignature: return "错误：服务器端配置包没有签名！";
    case PackageCheck::BadSignature: return "错误：服务器端配置包的签名验证失败！";
    case PackageCheck::BadMeta: return "错误：服务器端配置包缺少[meta]或其内容有误！";
    case PackageCheck::OtherProduct: return "错误：服务器端配置包属于其他产品：" + d + "！";
    case PackageCheck::OlderSequence:
        return "错误：服务器端配置包的序号" + d + "小于已安装的序号" + std::to_string(trust.sequence) + "！";
    case PackageCheck::Expired: return "错误：服务器端配置包已过期：" + d + "！";
    case PackageCheck::IncompleteFile: return "错误：服务器端配置包中[" + d + "]缺少sha256或size！";
    case PackageCheck::IncompleteFolder: return "错误：服务器端配置包中缺少" + d + "或其内容有误！";
    }
    return {};
}

}  // namespace quibo
