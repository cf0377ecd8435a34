// The release publisher: what it writes reads back through the updater's own
// readers, and bad input is refused before anything is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <utility>

#include "core/config/client_config.h"
#include "core/checksum/file_md5.h"
#include "core/config/server_config.h"
#include "core/package/package.h"
#include "publish/publish_run.h"
#include "publish/publish_text.h"
#include "config_test_support.h"
#include "zip_test_support.h"

using namespace quibo;
using namespace quibo::publish;
using ziptest::ReadBytes;
using ziptest::TempFolder;
using ziptest::WriteBytes;

namespace {

namespace fs = std::filesystem;

// "hello\n" and its digest.
const char* const kAppBytes = "hello\n";
const char* const kAppMd5 = "b1946ac92492d2347c6235b4d2611184";

const char* const kDescription =
    "; the demo product\n"
    "[file0]\n"
    "file=app.exe\n"
    "ver=1.10.0\n"
    "path={pf}\\Product\n"
    "show_type=1\n"
    "op_mode=0\n"
    "describe=新功能\n"
    "[file3]\n"
    "file=read me.txt\n"
    "[dir0]\n"
    "folder=data\n"
    "path=C:\\Product\\data\n"
    "filter=*.dll\n"
    "[system]\n"
    "close_proc1=app.exe\n"
    "[UI]\n"
    "start_win=0\n";

class PublishFixture : public ::testing::Test {
public:
    void SetUp() override
    {
        options = PublishOptions{};
        fs::create_directories(Release() / "data" / "sub");
        WriteBytes(Release() / "app.exe", kAppBytes);
        WriteBytes(Release() / "read me.txt", "notes");
        WriteBytes(Release() / "data" / "a.dll", "dll");
        WriteBytes(Release() / "data" / "sub" / "b.dll", "b");
        WriteBytes(Release() / "release.ini", kDescription);
        fs::create_directories(Out());
        options.releaseDir = Release().string();
        options.baseUrl = "ftp://updates.example.com/product/";
        options.outDir = Out().string();
        options.defaultVer = "2.0";
    }

    fs::path Release() const { return temp.Path() / "release"; }
    fs::path Out() const { return temp.Path() / "out"; }

    std::string ServerText() const { return ReadPackageMember((Out() / "server.bin").string(), "server.dat", ""); }

    std::vector<std::string> OutNames() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(Out()))
            names.push_back(fs::relative(e.path(), Out()).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder temp;
    PublishOptions options;
};

TEST_F(PublishFixture, ServerPackageReadsBackWithItsAddressesDigestsAndSwitches)
{
    std::string error;
    ASSERT_EQ(Publish(options, error), PublishResult::Published) << error;

    const std::string text = ServerText();
    EXPECT_NE(text.find("describe=\xD0\xC2\xB9\xA6\xC4\xDC\r\n"), std::string::npos) << "code page 936, CR LF";
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);

    UpdateConfig config;
    ParseServerConfig(config, ConfigContext{}, text);
    const UpdateItem& app = config.files[0];
    EXPECT_EQ(app.serverVersion, "1.10.0");
    ASSERT_EQ(app.addresses.size(), 1u);
    EXPECT_EQ(app.addresses[0].url, "ftp://updates.example.com/product/release-1/app.exe");
    EXPECT_EQ(app.md5, kAppMd5);
    EXPECT_EQ(app.name, "app.exe");
    EXPECT_NE(text.find("path={pf}\\Product\r\n"), std::string::npos) << "placeholders are the updater's to expand";

    // A blank is escaped in the address, so the installed name must be given.
    const UpdateItem& notes = config.files[3];
    EXPECT_EQ(notes.serverVersion, "2.0") << "the --ver default";
    ASSERT_EQ(notes.addresses.size(), 1u);
    EXPECT_EQ(notes.addresses[0].url, "ftp://updates.example.com/product/release-1/read%20me.txt");
    EXPECT_EQ(notes.name, "read me.txt");

    const UpdateItem& data = config.dirs[0];
    ASSERT_EQ(data.addresses.size(), 1u);
    EXPECT_EQ(data.addresses[0].url, "ftp://updates.example.com/product/release-1/data");
    EXPECT_EQ(data.filter, "*.dll");

    EXPECT_EQ(config.showType, ShowType::Normal) << "dir0 has no show_type, which reads as 0";
    EXPECT_EQ(config.opMode, OpMode::Manual);
    EXPECT_EQ(config.system.closeProc1, std::vector<std::string>{"app.exe"});
    EXPECT_EQ(config.pages.startWin, 0);

    // OUT can be served as it is: the files beside the package, nothing half-written.
    EXPECT_EQ(ReadBytes(Out() / "release-1" / "app.exe"), kAppBytes);
    EXPECT_EQ(OutNames(), (std::vector<std::string>{"release-1", "release-1/app.exe", "release-1/data",
                                                    "release-1/data/a.dll", "release-1/data/sub",
                                                    "release-1/data/sub/b.dll", "release-1/read me.txt",
                                                    "server.bin"}));
}

TEST_F(PublishFixture, ClientPackageNamesTheServerPackageAndOlderVersionsWithTheSkin)
{
    options.client = true;
    options.clientVer = "1.9";
    options.skinDir = UPDATER_DEFAULT_SKIN_DIR;
    std::string error;
    ASSERT_EQ(Publish(options, error), PublishResult::Published) << error;

    const std::string package = (Out() / "update.bin").string();
    UpdateConfig config;
    FakeSeam seam;
    ASSERT_TRUE(LoadClientConfig(config, ConfigContext{}, ReadPackageMember(package, "client.dat", ""), seam));
    ASSERT_EQ(config.serverAddresses.size(), 1u);
    EXPECT_EQ(config.serverAddresses[0].url, "ftp://updates.example.com/product/server.bin");
    EXPECT_EQ(config.files[0].clientVersion, "1.9");
    EXPECT_EQ(config.files[3].clientVersion, "1.9");
    EXPECT_EQ(config.dirs[0].clientVersion, "1.9");
    EXPECT_EQ(config.files[1].clientVersion, "0.0.0") << "an item the release does not describe";

    EXPECT_EQ(ReadPackageMember(package, "pre.dat", ""), "[pre]\r\ncloselog=0\r\n");
    for (const char* member : {"ui.dat", "header0.bmp", "icons.bmp"})
        EXPECT_EQ(ReadPackage(package, member, "", UINT32_MAX).text,
                  ReadBytes(fs::path(UPDATER_DEFAULT_SKIN_DIR) / member))
            << member;
}

// Where a file item's address points inside OUT.
fs::path Served(const fs::path& out, const std::string& url)
{
    const std::string base = "ftp://updates.example.com/product/";
    EXPECT_EQ(url.compare(0, base.size(), base), 0) << url;
    std::string rest = url.substr(base.size());
    for (size_t at; (at = rest.find("%20")) != std::string::npos;) rest.replace(at, 3, " ");
    return out / rest;
}

// What a client may be fetching while a new release is published: every
// file the server package in place names, with the digest it gives.
std::vector<std::pair<fs::path, std::string>> NamedFiles(const fs::path& out, const std::string& serverText)
{
    UpdateConfig config;
    ParseServerConfig(config, ConfigContext{}, serverText);
    std::vector<std::pair<fs::path, std::string>> files;
    for (const UpdateItem& item : config.files)
        if (!item.addresses.empty()) files.emplace_back(Served(out, item.addresses[0].url), item.md5);
    return files;
}

TEST_F(PublishFixture, PublishingAgainNeverChangesWhatTheServerPackageInPlaceNames)
{
    std::string error;
    ASSERT_EQ(Publish(options, error), PublishResult::Published) << error;
    const std::string first = ServerText();
    WriteBytes(Release() / "app.exe", "hello again\n");
    fs::remove_all(Release() / "data" / "sub");
    ASSERT_EQ(Publish(options, error), PublishResult::Published) << error;

    std::string digest;
    for (const auto& [path, md5] : NamedFiles(Out(), first))
        EXPECT_TRUE(Md5Matches(path.string(), md5, digest)) << "the first release's " << path;
    const auto second = NamedFiles(Out(), ServerText());
    ASSERT_EQ(second.size(), 2u);
    for (const auto& [path, md5] : second) EXPECT_TRUE(Md5Matches(path.string(), md5, digest)) << path;
    EXPECT_EQ(second[0].first, Out() / "release-2" / "app.exe");
    EXPECT_NE(second[0].second, kAppMd5);
    EXPECT_FALSE(fs::exists(Out() / "release-2" / "data" / "sub")) << "a folder item is the release's folder, not a merge";

    // The release before the one in place goes; the one just replaced stays
    // for clients still fetching from it.
    ASSERT_EQ(Publish(options, error), PublishResult::Published) << error;
    EXPECT_FALSE(fs::exists(Out() / "release-1"));
    EXPECT_TRUE(fs::exists(Out() / "release-2" / "app.exe"));
    EXPECT_TRUE(fs::exists(Out() / "release-3" / "app.exe"));
}

// Every name and its bytes below OUT.
std::map<std::string, std::string> Snapshot(const fs::path& out)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(out))
        files[fs::relative(e.path(), out).string()] = e.is_regular_file() ? ReadBytes(e.path()) : "<folder>";
    return files;
}

TEST_F(PublishFixture, APublishCutShortLeavesThePublishedReleaseAsItWas)
{
    options.client = true;
    options.skinDir = UPDATER_DEFAULT_SKIN_DIR;
    std::string error;
    ASSERT_EQ(Publish(options, error), PublishResult::Published) << error;
    WriteBytes(Release() / "app.exe", "hello again\n");
    WriteBytes(Release() / "data" / "a.dll", "new dll");

    // Three items and two packages are written: let each write fail in turn.
    for (int failing = 1; failing <= 5; ++failing) {
        SCOPED_TRACE(failing);
        const auto before = Snapshot(Out());
        options.failingWrite = failing;
        EXPECT_EQ(Publish(options, error), PublishResult::WriteFailed);
        EXPECT_TRUE(Snapshot(Out()) == before) << error;
    }

    // Everything written and checked, but the server package cannot be put
    // in place: the client package already switched goes back.
    options.failingWrite = 0;
    fs::rename(Out() / "server.bin", Out() / "server.dat.kept");
    fs::create_directories(Out() / "server.bin");
    fs::rename(Out() / "server.dat.kept", Out() / "server.bin" / "server.bin");
    const auto before = Snapshot(Out());
    EXPECT_EQ(Publish(options, error), PublishResult::WriteFailed);
    EXPECT_NE(error.find("server.bin in place"), std::string::npos) << error;
    EXPECT_TRUE(Snapshot(Out()) == before);
}

// The updater would expand "{temp}" in a rename and install under another
// name: reading back catches it, and nothing stays behind.
TEST_F(PublishFixture, WhatDoesNotReadBackAsWrittenIsRemoved)
{
    WriteBytes(Release() / "release.ini", "[file0]\nfile=app.exe\nrename={temp}app.exe\n");
    std::string error;
    EXPECT_EQ(Publish(options, error), PublishResult::CheckFailed);
    EXPECT_NE(error.find("[file0] would be installed as"), std::string::npos) << error;
    EXPECT_TRUE(OutNames().empty());
}

TEST_F(PublishFixture, BadInputGivesOneLineAndWritesNothing)
{
    using Change = std::function<void(PublishFixture&)>;
    auto describe = [](std::string text) {
        return [text](PublishFixture& f) { WriteBytes(f.Release() / "release.ini", text); };
    };
    struct Case {
        const char* name;
        Change change;
        const char* error;
    } const cases[] = {
        {"no release folder", [](PublishFixture& f) { f.options.releaseDir += "-missing"; }, "release folder not found"},
        {"no description", [](PublishFixture& f) { fs::remove(f.Release() / "release.ini"); },
         "cannot read the release description"},
        {"missing file", describe("[file0]\nfile=gone.exe\n"), "[file0] file not found"},
        {"file named as folder", describe("[dir0]\nfolder=app.exe\n"), "[dir0] folder not found"},
        {"not key=value", describe("[file0]\nfile app.exe\n"), "line 2: neither a [section] nor key=value"},
        {"key before section", describe("file=app.exe\n"), "line 1: key file before any section"},
        {"not UTF-8", describe("[file0]\nfile=app.exe\ndescribe=\xD0\xC2\n"), "not UTF-8"},
        {"no code page 936 form", describe("[file0]\nfile=app.exe\ndescribe=\xF0\x9F\x98\x80\n"),
         "not UTF-8 text code page 936 can hold"},
        {"no item", describe("[system]\nrun_before=x.exe\n"), "no [fileN] or [dirN] item"},
        {"letters in ver", describe("[file0]\nfile=app.exe\nver=1.2a\n"), "ver \"1.2a\" is not a version"},
        {"empty component", describe("[file0]\nfile=app.exe\nver=1..2\n"), "ver \"1..2\" is not a version"},
        {"no version", describe("[file0]\nfile=app.exe\nver=0.0.0\n"), "ver \"0.0.0\" is not a version above 0"},
        {"bad --ver", [](PublishFixture& f) { f.options.defaultVer = "v2"; }, "\"v2\" is not a version"},
        {"21st file", describe("[file20]\nfile=app.exe\n"), "too many items: [file20]"},
        {"11th folder", describe("[dir10]\nfolder=data\n"), "too many items: [dir10]"},
        {"section twice", describe("[file0]\nfile=app.exe\n[file0]\n"), "section [file0] given twice"},
        {"key twice", describe("[file0]\nfile=app.exe\nver=1\nver=2\n"), "key ver given twice"},
        {"unknown key", describe("[file0]\nfile=app.exe\nfilter=*.dll\n"), "unknown key filter"},
        {"md5 given", describe("[file0]\nfile=app.exe\nmd5=00\n"), "unknown key md5 (the publisher writes it)"},
        {"number in words", describe("[file0]\nfile=app.exe\nshow_type=silent\n"), "show_type must be a number"},
        {"unknown section", describe("[files]\n"), "unknown section [files]"},
        {"a path", describe("[file0]\nfile=data/a.dll\n"), "name the updater refuses"},
        {"parent", describe("[dir0]\nfolder=..\n"), "name the updater refuses"},
        {"device", describe("[file0]\nfile=CON\n"), "name the updater refuses"},
        {"device in a folder",
         [](PublishFixture& f) { WriteBytes(f.Release() / "data" / "sub" / "aux.txt", "x"); },
         "[dir0] data: aux.txt"},
        {"published twice",
         [](PublishFixture& f) {
             WriteBytes(f.Release() / "APP.EXE", "x");
             WriteBytes(f.Release() / "release.ini", "[file0]\nfile=app.exe\n[file1]\nfile=APP.EXE\n");
         },
         "[file1] APP.EXE is published twice"},
        {"client not older", [](PublishFixture& f) { f.options.client = true; f.options.clientVer = "2.0"; },
         "is not newer than --client-ver 2.0"},
        {"no skin", [](PublishFixture& f) { f.options.client = true; f.options.skinDir = f.Out().string(); },
         "no skin"},
        {"no scheme", [](PublishFixture& f) { f.options.baseUrl = "updates.example.com"; }, "--url must be"},
        {"folder over HTTP", [](PublishFixture& f) { f.options.baseUrl = "https://updates.example.com/p"; },
         "[dir0] data: a folder item is fetched by listing its folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PublishFixture::SetUp();
        c.change(*this);
        std::string error;
        EXPECT_EQ(Publish(options, error), PublishResult::BadInput);
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_TRUE(OutNames().empty());
        fs::remove_all(Release());
        fs::remove_all(Out());
    }
}

TEST(PublishText, UrlSegmentEscapesEverythingButUnreservedBytes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"App-1.2_x~.exe", "App-1.2_x~.exe"},
        {"read me.txt", "read%20me.txt"},
        {"100%.txt", "100%25.txt"},
        {"a;;b,,c#d?e", "a%3B%3Bb%2C%2Cc%23d%3Fe"},  // nothing that splits an address list
        {"中.exe", "%E4%B8%AD.exe"},
    };
    for (const auto& [name, escaped] : cases) EXPECT_EQ(EscapeUrlSegment(name), escaped) << name;
}

}  // namespace
