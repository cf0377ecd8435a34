// Fetching the server configuration package over HTTP(S) and from a folder,
// and going on to the next address when a server keeps the fetch waiting.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/config/server_fetch.h"
#include "core/package/package.h"
#include "download/config_fetch.h"
#include "win/cng_crypto.h"
#include "transfer_test_support.h"

using namespace quibo;

using namespace transfertest;

namespace {

const std::string kServerText = "[file0]\r\nver=2.0.1\r\nname=升级程序\r\n";

// A zip package holding `member` with `text`.
std::string MakePackage(const ScratchDir& dir, const std::string& member, const std::string& text)
{
    const std::string path = dir / "package.zip";
    WriteBytes(path, std::string("PK\x05\x06", 4) + std::string(18, '\0'));  // an empty archive
    EXPECT_TRUE(WritePackageMember(text, path, member, ""));
    std::string bytes = ReadBytes(path);
    ::DeleteFileA(path.c_str());
    return bytes;
}

// A package with "server.dat" that is too large to be one: a member of
// noise makes it larger than any package is taken.
std::string MakeOversizedPackage(const ScratchDir& dir)
{
    const std::string path = dir / "oversized.zip";
    WriteBytes(path, MakePackage(dir, "server.dat", kServerText));
    EXPECT_TRUE(WritePackageMember(NoiseBytes(kMaxConfigPackage + 65536), path, "filler.bin", ""));
    std::string bytes = ReadBytes(path);
    ::DeleteFileA(path.c_str());
    return bytes;
}

// The "server.dat" of fetched package bytes; empty when there is none.
std::string ServerDatIn(const std::string& package) { return ExtractPackageMember(package, "server.dat", ""); }

// The program's own fetchers, with limits short enough for a test.
class QuickSeam : public ConfigSeam {
public:
    std::string ProductName() override { return {}; }
    std::string FileVersionText() override { return {}; }
    std::string FetchConfigHttp(const std::string& url) override
    {
        return ::FetchConfigHttp(url, kQuickConfigHttp);
    }
    std::string FetchConfigFtp(const std::string& url, const std::string& user,
                               const std::string& password) override
    {
        return ::FetchConfigFtp(url, user, password, kQuickFtp);
    }
    std::string FetchConfigLocal(const std::string& path) override { return ::FetchConfigLocal(path); }
    ReleaseCrypto& Crypto() override { return crypto_; }
    UtcSeconds Now() override { return 0; }
    int Random() override { return 0; }
    void ShowInfoBox(const std::string&) override {}

private:
    CngCrypto crypto_;
};

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

TEST(FetchConfigHttp, ReadsServerDatOutOfThePackage)
{
    ScratchDir dir;
    ServedFile package("server_package.bin", MakePackage(dir, "server.dat", kServerText));
    for (std::string url :
         {std::string(kHttp) + "server_package.bin", std::string(kHttps) + "server_package.bin",
          std::string(kOdd) + "redirect/server_package.bin"}) {
        LogCapture log;
        EXPECT_EQ(ServerDatIn(FetchConfigHttp(url)), kServerText) << url;
        EXPECT_NE(log.Text().find("开始下载\r\n"), std::string::npos);
    }
}

TEST(FetchConfigHttp, EveryFailureIsEmpty)
{
    ScratchDir dir;
    ServedFile noMember("no_member.bin", MakePackage(dir, "client.dat", kServerText));
    ServedFile notZip("not_zip.bin", PatternBytes(5000));
    ServedFile oversized("oversized.bin", MakeOversizedPackage(dir));
    const std::string cases[] = {
        std::string(kHttp) + "no_such_package.bin",  // 404 with an error page
        std::string(kHttp) + "no_member.bin",
        std::string(kHttp) + "not_zip.bin",
        std::string(kOdd) + "nolength?size=5000",
        std::string(kOdd) + "cut?size=5000",
        std::string(kHttpsWrongName) + "no_member.bin",
        std::string(kClosed) + "server.bin",
        std::string(kHttp) + "oversized.bin",  // a good "server.dat", in a package too large
        std::string(kOdd) + "slow?size=2000000000&chunk=65536&delay=0",  // announces 2 GB
        std::string(kOdd) + "overlong?size=5000&extra=4000000",          // sends on past its length
    };
    for (const auto& url : cases) {
        std::optional<std::string> text =
            ResultWithin<std::string>(kEndsWithin, [url] { return FetchConfigHttp(url); });
        if (!text) {
            ADD_FAILURE() << url << ": still reading";
            continue;
        }
        // A package that is not one comes as bytes; the step after finds no "server.dat" in it.
        EXPECT_EQ(ServerDatIn(*text), "") << url;
    }
}

TEST(FetchServerConfig, AddressesThatKeepTheFetchWaitingGiveWayToTheNext)
{
    ScratchDir dir;
    ServedFile package("server_package.bin", MakePackage(dir, "server.dat", kServerText));
    const std::string odd = kOdd;
    const std::vector<std::string> stalling = {
        odd + "silent",                            // accepts and never answers
        odd + "dribble?delay=2",                   // headers a byte every two seconds
        odd + "slow?size=5000&chunk=1&delay=0.5",  // body a byte every half second
        std::string(kSilentFtp) + "/server.bin",   // never greets, five logins
    };
    LogCapture log;
    std::optional<std::string> text = ResultWithin<std::string>(kEndsWithin, [stalling] {
        UpdateConfig config;
        for (const std::string& url : stalling) config.serverAddresses.push_back({url, "updater", "secret"});
        config.serverAddresses.push_back({std::string(kHttp) + "server_package.bin", "", ""});
        QuickSeam seam;
        std::optional<ServerPackage> package = FetchServerConfig(config, seam);
        return package ? package->serverText : std::string();
    });
    ASSERT_TRUE(text) << "still fetching";
    EXPECT_EQ(*text, kServerText);
    EXPECT_EQ(CountOf(log.Text(), "    下载文件失败！\r\n"), stalling.size());
}

TEST(FetchConfigLocal, ReadsTheFolderPackage)
{
    ScratchDir dir;
    const std::string path = dir / "服务器 配置.bin";
    WriteBytes(path, MakePackage(dir, "server.dat", kServerText));
    WriteBytes(dir / "not_zip.bin", PatternBytes(100));
    EXPECT_EQ(ServerDatIn(FetchConfigLocal(path)), kServerText);
    // Bytes that are no package are judged by the configuration step.
    EXPECT_EQ(FetchConfigLocal(dir / "not_zip.bin"), PatternBytes(100));
    EXPECT_EQ(FetchConfigLocal(dir / "absent.bin"), "");
    ::DeleteFileA(path.c_str());
}
