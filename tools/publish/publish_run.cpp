#include "publish/publish_run.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <set>
#include <system_error>
#include <vector>

#include "core/checksum/file_md5.h"
#include "core/config/version_compare.h"
#include "core/package/package.h"
#include "core/signing/public_keys.h"
#include "core/signing/signature_file.h"
#include "core/transfer/download_names.h"
#include "publish/folder_item_list.h"
#include "publish/openssl_crypto.h"
#include "publish/package_members.h"
#include "publish/package_texts.h"
#include "publish/publish_text.h"
#include "publish/release_check.h"
#include "publish/release_folders.h"
#include "publish/release_sequence.h"
#include "publish/release_signing.h"
#include "publish/signing_key.h"

namespace quibo::publish {

namespace fs = std::filesystem;

namespace {

// Written files wait under this suffix until the whole release has been checked.
const char* const kStagingSuffix = ".publishing";
const char* const kServerPackage = "server.bin";
const char* const kClientPackage = "update.bin";

bool ReadWhole(const fs::path& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool HasScheme(const std::string& url, std::initializer_list<const char*> schemes)
{
    for (const char* scheme : schemes) {
        const std::string s = scheme;
        if (Lower(url.substr(0, s.size())) == s && url.size() > s.size()) return true;
    }
    return false;
}

bool IsServedScheme(const std::string& url) { return HasScheme(url, {"http://", "https://", "ftp://", "file://"}); }

// The updater fetches a folder item by listing the folder, which it can do
// on FTP servers and shares only: over HTTP it would fetch nothing.
bool IsListedScheme(const std::string& url) { return HasScheme(url, {"ftp://", "file://"}); }

// Everything the updater will be asked to fetch from one folder item must
// have names it takes.
std::string UnsafeFolderEntry(const fs::path& folder)
{
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::optional<std::string> cp936 = Utf8ToCp936(name);
        if (!cp936) return name + ": not a name code page 936 can hold";
        std::string reason = UnsafeNameReason(*cp936, TextCharset::CodePage936);
        if (!reason.empty()) return name + ": " + reason;
        if (!it->is_directory() && !it->is_regular_file()) return name + ": neither a file nor a folder";
    }
    return ec ? "cannot be read: " + ec.message() : std::string();
}

class Publisher {
public:
    explicit Publisher(PublishOptions options) : options_(std::move(options))
    {
        while (!options_.baseUrl.empty() && options_.baseUrl.back() == '/') options_.baseUrl.pop_back();
    }

    PublishResult Run(std::string& error)
    {
        if (!CheckInput(error)) return PublishResult::BadInput;
        PublishResult result = Stage(error);
        if (result == PublishResult::Published) result = CheckStaged(error);
        if (result == PublishResult::Published) result = PutInPlace(error);
        if (result != PublishResult::Published) RemoveStaged();
        return result;
    }

private:
    bool CheckInput(std::string& error)
    {
        const fs::path release = options_.releaseDir;
        if (!fs::is_directory(release)) {
            error = "release folder not found: " + options_.releaseDir;
            return false;
        }
        if (!IsServedScheme(options_.baseUrl) || options_.baseUrl.find(";;") != std::string::npos ||
            options_.baseUrl.find(",,") != std::string::npos || !Utf8ToCp936(options_.baseUrl)) {
            error = "--url must be an http://, https://, ftp:// or file:// address without \";;\" or \",,\": " +
                    options_.baseUrl;
            return false;
        }
        for (const std::string* v : {&options_.defaultVer, &options_.clientVer})
            if (!v->empty() && !IsDottedVersion(*v)) {
                error = "\"" + *v + "\" is not a version such as 1.2.0";
                return false;
            }
        if (fs::exists(options_.outDir) && fs::equivalent(options_.outDir, release)) {
            error = "--out must not be the release folder";
            return false;
        }
        folders_ = FindReleaseFolders(options_.outDir);
        return ReadDescription(error) && CheckSources(error) && ListFolderItems(error) &&
               (!options_.client || ReadSkin(error)) && ReadKeys(error) && DescribeRelease(error);
    }

    bool ReadKeys(std::string& error)
    {
        const std::size_t most = options_.client ? kMaxPublicKeys : kMaxPackageSignatures;
        if (options_.keyFiles.size() > most) {
            error = "more than " + std::to_string(most) + " --key" +
                    (options_.client ? ": a client package trusts at most " + std::to_string(most) + " keys"
                                     : ": a client reads at most " + std::to_string(most) + " signatures");
            return false;
        }
        for (const std::string& file : options_.keyFiles) {
            std::string pem;
            if (!fs::is_regular_file(file) || !ReadWhole(file, pem)) {
                error = "cannot read the key " + file;
                return false;
            }
            std::optional<SigningKey> key = SigningKey::FromPem(pem, options_.passphrase, file, error);
            OPENSSL_cleanse(pem.data(), pem.size());  // no copy of the private key outlives its use
            if (!key) return false;
            for (std::size_t i = 0; i < keys_.size(); ++i)
                if (keys_[i].Public() == key->Public()) {
                    error = file + " is the same key as " + options_.keyFiles[i];
                    return false;
                }
            keys_.push_back(std::move(*key));
        }
        return true;
    }

    // [meta]: the product, a sequence above the release in OUT, the expiry.
    bool DescribeRelease(std::string& error)
    {
        std::string product = options_.product;
        if (product.empty()) {
            // "release/" names its folder as well as "release" does.
            fs::path folder = fs::absolute(options_.releaseDir).lexically_normal();
            if (folder.filename().empty()) folder = folder.parent_path();
            product = folder.filename().string();
        }
        std::optional<std::string> cp936 = Utf8ToCp936(product);
        const bool plain = cp936 && !cp936->empty() && cp936->front() != ' ' && cp936->back() != ' ' &&
                           std::none_of(cp936->begin(), cp936->end(), [](unsigned char c) { return c < 0x20; });
        if (!plain) {
            error = "the product name \"" + product +
                    "\" must be text code page 936 can hold, without control characters or blanks at its ends "
                    "(give --product NAME)";
            return false;
        }
        meta_.product = *cp936;
        std::optional<std::uint64_t> sequence =
            ChooseSequence(PreviousSequence(options_.outDir), options_.sequence, error);
        if (!sequence) return false;
        meta_.sequence = *sequence;
        if (options_.expiresDays)
            meta_.expires = static_cast<UtcSeconds>(std::time(nullptr)) + UtcSeconds{*options_.expiresDays} * 86400;
        return true;
    }

    bool ReadDescription(std::string& error)
    {
        const fs::path file =
            options_.describeFile.empty() ? fs::path(options_.releaseDir) / "release.ini" : fs::path(options_.describeFile);
        std::string text;
        if (!fs::is_regular_file(file) || !ReadWhole(file, text)) {
            error = "cannot read the release description " + file.string();
            return false;
        }
        if (!ParseReleaseDescription(text, options_.defaultVer, release_, error)) {
            error = file.string() + ": " + error;
            return false;
        }
        return true;
    }

    // What a client fetches for a folder item in `root` (the release
    // folder, or the copy that is served).
    bool ListFolder(const fs::path& root, const ReleaseItem& item, std::vector<ListedFile>& listed,
                    std::string& error)
    {
        std::string filter;
        bool subfolders = false;
        for (const auto& [key, value] : item.keys) {
            if (key == "filter") filter = value;
            // The updater reads the switch as a number: anything but 0 is on.
            if (key == "is_inc_subdir") subfolders = value.find_first_not_of("-0") != std::string::npos;
        }
        const std::string section = "[" + ItemSection(item.kind, item.index) + "] " + item.source + ": ";
        if (!ListFolderItem((root / item.source).string(), filter, subfolders, crypto_, listed, error)) {
            error = section + error;
            return false;
        }
        // A signed release lists every folder item's files, and a list of
        // none is no member a package can hold; nor is such an item of use.
        if (listed.empty()) {
            error = section + "no file of the folder is fetched (see its filter and is_inc_subdir)";
            return false;
        }
        return true;
    }

    bool ListFolderItems(std::string& error)
    {
        for (PublishedItem& p : published_)
            if (p.item->kind == ItemKind::Dir && !ListFolder(options_.releaseDir, *p.item, p.listed, error))
                return false;
        return true;
    }

    bool CheckSources(std::string& error)
    {
        std::set<std::string> names = {kServerPackage, kClientPackage};
        for (const ReleaseItem& item : release_.items) {
            const std::string section = "[" + ItemSection(item.kind, item.index) + "] ";
            const fs::path source = fs::path(options_.releaseDir) / item.source;
            const bool isFile = item.kind == ItemKind::File;
            if (isFile ? !fs::is_regular_file(source) : !fs::is_directory(source)) {
                error = section + (isFile ? "file" : "folder") + " not found in the release folder: " + item.source;
                return false;
            }
            // The output folder may be served from a Windows share: names
            // that differ only in case are one file there.
            if (!names.insert(Lower(item.source)).second) {
                error = section + item.source + " is published twice, or clashes with a package name";
                return false;
            }
            if (options_.client && !IsVersionNewer(item.ver, options_.clientVer)) {
                error = section + "ver " + item.ver + " is not newer than --client-ver " + options_.clientVer;
                return false;
            }
            if (!isFile && !IsListedScheme(options_.baseUrl)) {
                error = section + item.source +
                        ": a folder item is fetched by listing its folder, which only ftp:// and file:// "
                        "addresses allow; publish on such an address or list the folder's files as [fileN] items";
                return false;
            }
            PublishedItem p = DescribePublished(item, options_.baseUrl + "/" + folders_.next);
            if (!isFile) {
                std::string unsafe = UnsafeFolderEntry(source);
                if (!unsafe.empty()) {
                    error = section + item.source + ": " + unsafe;
                    return false;
                }
            } else {
                Md5Matches(source.string(), "", p.md5);  // only for the digest: nothing to compare with yet
                if (p.md5.size() != 32 || !FileSha256(source.string(), crypto_, p.sha256, p.size)) {
                    error = section + "cannot read " + source.string();
                    return false;
                }
            }
            published_.push_back(std::move(p));
        }
        return true;
    }

    bool ReadSkin(std::string& error)
    {
        const fs::path folder = options_.skinDir;
        ExpectedMember ui{"ui.dat", {}};
        if (!ReadWhole(folder / "ui.dat", ui.bytes) || ui.bytes.empty()) {
            error = "no skin: cannot read " + (folder / "ui.dat").string() + " (give --skin DIR)";
            return false;
        }
        skin_.push_back(std::move(ui));
        std::vector<fs::path> pictures;
        std::error_code ec;
        for (const fs::directory_entry& e : fs::directory_iterator(folder, ec))
            if (e.is_regular_file() && Lower(e.path().extension().string()) == ".bmp") pictures.push_back(e.path());
        std::sort(pictures.begin(), pictures.end());
        for (const fs::path& picture : pictures) {
            ExpectedMember m{picture.filename().string(), {}};
            if (!ReadWhole(picture, m.bytes)) {
                error = "cannot read the skin picture " + picture.string();
                return false;
            }
            skin_.push_back(std::move(m));
        }
        return true;
    }

    PublishResult Stage(std::string& error)
    {
        std::error_code ec;
        const fs::path out = options_.outDir;
        if (!fs::exists(out, ec)) {
            fs::create_directories(out, ec);
            createdOut_ = !ec;
        }
        const fs::path files = StagedFiles();
        fs::remove_all(files, ec);  // left by a run that was cut short
        fs::create_directories(files, ec);
        if (ec) {
            error = "cannot write " + files.string() + ": " + ec.message();
            return PublishResult::WriteFailed;
        }
        for (const PublishedItem& p : published_) {
            const fs::path target = files / p.item->source;
            if (!MayWrite()) ec = std::make_error_code(std::errc::no_space_on_device);
            else fs::copy(fs::path(options_.releaseDir) / p.item->source, target, fs::copy_options::recursive, ec);
            if (ec) {
                error = "cannot write " + target.string() + ": " + ec.message();
                return PublishResult::WriteFailed;
            }
        }
        serverText_ = ServerText(release_, published_, meta_);
        serverMembers_ = {{"server.dat", serverText_}};
        for (const PublishedItem& p : published_)
            if (p.item->kind == ItemKind::Dir)
                serverMembers_.push_back({FolderListMember(p.item->index), FormatFolderList(p.listed)});
        if (!WritePackage(kServerPackage, serverMembers_, error) || !Sign(error)) return PublishResult::WriteFailed;
        if (!options_.client) return PublishResult::Published;
        ReleaseTrust trust;
        for (const SigningKey& key : keys_) trust.keys.push_back(key.Public());
        trust.product = meta_.product;
        trust.sequence = meta_.sequence;
        std::vector<ExpectedMember> members = {
            {"pre.dat", PreText()},
            {"client.dat", ClientText(release_, ServerUrl(), options_.clientVer, trust)},
        };
        members.insert(members.end(), skin_.begin(), skin_.end());
        clientMembers_ = members;
        return WritePackage(kClientPackage, members, error) ? PublishResult::Published : PublishResult::WriteFailed;
    }

    // Adds "server.sig" as the last member, signing what the written
    // package holds in the order it holds it.
    bool Sign(std::string& error)
    {
        if (keys_.empty()) return true;
        const std::string path = Staging(kServerPackage).string();
        std::vector<PackageMember> members;
        std::string text;
        if (!ReadPackageMembers(path, members)) {
            error = "cannot read back " + path;
            return false;
        }
        if (!SignatureText(members, keys_, crypto_, text, error)) return false;
        if (!MayWrite() || !WritePackageMember(text, path, kSignatureMember, "")) {
            error = std::string("cannot write ") + kSignatureMember + " into " + path;
            return false;
        }
        return true;
    }

    bool WritePackage(const std::string& name, const std::vector<ExpectedMember>& members, std::string& error)
    {
        const fs::path path = Staging(name);
        {
            std::ofstream empty(path, std::ios::binary | std::ios::trunc);
            empty << std::string("PK\x05\x06", 4) << std::string(18, '\0');  // a zip archive with no member
            if (!empty || !MayWrite()) {
                error = "cannot write " + path.string();
                return false;
            }
        }
        for (const ExpectedMember& m : members)
            if (!WritePackageMember(m.bytes, path.string(), m.name, "")) {
                error = "cannot write " + m.name + " into " + path.string();
                return false;
            }
        return true;
    }

    PublishResult CheckStaged(std::string& error)
    {
        for (const PublishedItem& p : published_) {
            std::string digest, sha256;
            std::uint64_t size = 0;
            const std::string copy = (StagedFiles() / p.item->source).string();
            if (p.item->kind == ItemKind::File &&
                (!Md5Matches(copy, p.md5, digest) || !FileSha256(copy, crypto_, sha256, size) ||
                 sha256 != p.sha256 || size != p.size)) {
                error = "the copy of " + p.item->source + " differs from the release";
                return PublishResult::CheckFailed;
            }
            std::vector<ListedFile> listed;
            if (p.item->kind == ItemKind::Dir &&
                (!ListFolder(StagedFiles(), *p.item, listed, error) ||
                 FormatFolderList(listed) != FormatFolderList(p.listed))) {
                error = "the copy of " + p.item->source + " differs from the release";
                return PublishResult::CheckFailed;
            }
        }
        error = CheckServerPackage(Staging(kServerPackage).string(), serverText_, published_);
        if (error.empty()) error = CheckServerMembersAndSignatures();
        if (error.empty() && options_.client)
            error = CheckClientPackage(Staging(kClientPackage).string(), clientMembers_, ServerUrl(), published_,
                                       options_.clientVer);
        return error.empty() ? PublishResult::Published : PublishResult::CheckFailed;
    }

    // The old server package names only the old release's folder, so
    // nothing it points at changes until it is replaced by one rename. The
    // client package is put in place just before it and put back when the
    // server package cannot be.
    PublishResult PutInPlace(std::string& error)
    {
        std::error_code ec;
        const fs::path out = options_.outDir;
        const fs::path files = out / folders_.next;
        if (!Rename(StagedFiles(), files, error)) return PublishResult::WriteFailed;
        filesPlaced_ = true;

        const fs::path client = out / kClientPackage;
        const fs::path keptClient = Staging(std::string(kClientPackage) + ".old");
        const bool hadClient = options_.client && fs::is_regular_file(client, ec);
        if (hadClient) {
            fs::copy_file(client, keptClient, fs::copy_options::overwrite_existing, ec);
            if (ec) {
                error = "cannot keep a copy of " + client.string() + ": " + ec.message();
                fs::remove(keptClient, ec);
                return PublishResult::WriteFailed;
            }
        }
        if (options_.client && !Rename(Staging(kClientPackage), client, error)) {
            fs::remove(keptClient, ec);
            return PublishResult::WriteFailed;
        }
        if (!Rename(Staging(kServerPackage), out / kServerPackage, error)) {
            if (hadClient) fs::rename(keptClient, client, ec);
            else if (options_.client) fs::remove(client, ec);
            return PublishResult::WriteFailed;
        }
        fs::remove(keptClient, ec);
        filesPlaced_ = false;  // they are the release now
        RemoveOlderReleases(options_.outDir, folders_.previous);
        return PublishResult::Published;
    }

    // The package holds exactly the members written, in that order, and
    // every signature verifies as a client will verify it: a release its
    // clients would refuse is never put in place.
    std::string CheckServerMembersAndSignatures()
    {
        std::vector<PackageMember> members;
        if (!ReadPackageMembers(Staging(kServerPackage).string(), members)) return "server.bin cannot be read back";
        std::string problem = CheckServerMembers(members, serverMembers_, !keys_.empty());
        if (!problem.empty() || keys_.empty()) return problem;
        std::vector<PublicKey> publicKeys;
        for (const SigningKey& key : keys_) publicKeys.push_back(key.Public());
        problem = CheckSignatures(members, publicKeys, crypto_);
        return problem.empty() ? problem : "server.bin: " + problem;
    }

    static bool Rename(const fs::path& from, const fs::path& to, std::string& error)
    {
        std::error_code ec;
        fs::rename(from, to, ec);
        if (ec) error = "cannot put " + to.string() + " in place: " + ec.message();
        return !ec;
    }

    void RemoveStaged()
    {
        std::error_code ec;
        fs::remove_all(StagedFiles(), ec);
        if (filesPlaced_) fs::remove_all(fs::path(options_.outDir) / folders_.next, ec);
        for (const char* name : {kServerPackage, kClientPackage}) fs::remove(Staging(name), ec);
        if (createdOut_) fs::remove(options_.outDir, ec);  // only while empty
    }

    // Test hook: the write numbered `failingWrite` fails, as on a full disk.
    bool MayWrite() { return ++writes_ != options_.failingWrite; }

    fs::path StagedFiles() const { return Staging(folders_.next); }
    fs::path Staging(const std::string& name) const { return fs::path(options_.outDir) / (name + kStagingSuffix); }
    std::string ServerUrl() const { return options_.baseUrl + "/" + kServerPackage; }

    PublishOptions options_;
    OpenSslCrypto crypto_;
    std::vector<SigningKey> keys_;
    ReleaseMeta meta_;
    std::vector<ExpectedMember> serverMembers_;
    Release release_;
    std::vector<PublishedItem> published_;
    std::vector<ExpectedMember> skin_;
    std::vector<ExpectedMember> clientMembers_;
    std::string serverText_;
    ReleaseFolders folders_;
    bool createdOut_ = false;
    bool filesPlaced_ = false;  // the new release's folder is in place, its server package not yet
    int writes_ = 0;
};

}  // namespace

PublishResult Publish(const PublishOptions& options, std::string& error)
{
    return Publisher(options).Run(error);
}

}  // namespace quibo::publish
