// Fetching the server configuration package over FTP: its bytes, the
// run-log lines on the way, and no "server.dat" on every failure,
// in time even when the server never answers.
#include <gtest/gtest.h>

#include <optional>

#include "core/package/package.h"
#include "download/config_fetch.h"
#include "ftp_test_support.h"

using namespace quibo;

using namespace ftptest;

namespace {

const char kServerDat[] = "[common]\r\nver=2.0.1\r\n[file0]\r\nver=1.2.3\r\n";

// A server package (a zip archive) with the given member at `relative`.
void PutPackage(const FtpTree& tree, const std::string& relative, const std::string& member)
{
    tree.Put(relative, std::string("PK\x05\x06", 4) + std::string(18, '\0'));  // no members yet
    std::string path = FtpDir() + tree.Remote(relative).substr(1);
    ASSERT_TRUE(WritePackageMember(kServerDat, ToBackslashes(path), member, ""));
}

// The "server.dat" of fetched package bytes; empty when there is none.
std::string ServerDatIn(const std::string& package) { return ExtractPackageMember(package, "server.dat", ""); }

class FtpConfigFetchTest : public ::testing::Test {
protected:
    std::string Url(const std::string& relative) const { return kBaseUrl + tree.Remote(relative); }

    FtpTree tree{"ftp_config_fetch_test"};
};

}  // namespace

TEST_F(FtpConfigFetchTest, ReturnsServerDatAndLogsEachStep)
{
    PutPackage(tree, "cfg/server.bin", "server.dat");
    LogCapture log;
    EXPECT_EQ(ServerDatIn(FetchConfigFtp(Url("cfg/server.bin"), kUser, kPassword)), kServerDat);

    std::string text = log.Text();
    std::vector<std::string> expected = {"连接FTP服务器", "设置当前目录为：/ftp_config_fetch_test/cfg/",
                                         "打开文件：server.bin", "开始下载"};
    size_t at = 0;
    for (const std::string& line : expected) {
        at = text.find("    " + line + "\r\n", at);
        EXPECT_NE(at, std::string::npos) << line << " (in this order)";
    }
    EXPECT_FALSE(Contains(text, kPassword));
}

TEST_F(FtpConfigFetchTest, BlanksWrittenAsPercent20AreBlanksOnTheServer)
{
    PutPackage(tree, "my cfg/server package.bin", "server.dat");
    EXPECT_EQ(ServerDatIn(FetchConfigFtp(Url("my%20cfg/server%20package.bin"), kUser, kPassword)), kServerDat);
}

TEST_F(FtpConfigFetchTest, PackageInTheTopFolderIsOpenedFromThere)
{
    const std::string name = "ftp_config_fetch_top.bin";
    const std::string path = FtpDir() + name;
    WriteBytes(path, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    ASSERT_TRUE(WritePackageMember(kServerDat, path, "server.dat", ""));

    LogCapture log;
    EXPECT_EQ(ServerDatIn(FetchConfigFtp(std::string(kBaseUrl) + "/" + name, kUser, kPassword)), kServerDat);
    EXPECT_TRUE(Contains(log.Text(), "    设置当前目录为：/\r\n"));
    ::DeleteFileA(path.c_str());
}

TEST_F(FtpConfigFetchTest, ServerThatLetsInOnTheFifthLoginIsUsed)
{
    PutPackage(tree, "server.bin", "server.dat");
    EXPECT_EQ(ServerDatIn(FetchConfigFtp(Url("server.bin"), kFlakyUser, kPassword)), kServerDat);
    // Now on a round five: the next fetch needs all five attempts.
    EXPECT_EQ(ServerDatIn(FetchConfigFtp(Url("server.bin"), kFlakyUser, kPassword)), kServerDat);
}

TEST_F(FtpConfigFetchTest, EveryFailureGivesEmptyText)
{
    PutPackage(tree, "server.bin", "server.dat");
    PutPackage(tree, "other.bin", "client.dat");
    tree.Put("plain.bin", "not a zip archive at all");
    // A good "server.dat", in a package too large to be taken.
    PutPackage(tree, "oversized.bin", "server.dat");
    ASSERT_TRUE(WritePackageMember(NoiseBytes(kMaxConfigPackage + 65536),
                                   ToBackslashes(FtpDir() + tree.Remote("oversized.bin").substr(1)),
                                   "filler.bin", ""));
    const std::string loginFailed = "连接FTP服务器失败，可能是网络问题，也可能是用户名（口令）设置不对。";
    const struct {
        std::string url;
        std::string user;
        std::string logLine;  // empty: none in particular
    } cases[] = {
        {Url("server.bin"), UniqueUser("nobody"), loginFailed},
        {"ftp:///server.bin", kUser, loginFailed},  // no server name
        {Url("missing/server.bin"), kUser, "设置当前目录为：/ftp_config_fetch_test/missing/"},
        {Url("missing.bin"), kUser, "打开文件：missing.bin"},
        {Url("plain.bin"), kUser, "开始下载"},
        {Url("other.bin"), kUser, "开始下载"},  // no "server.dat" in it
        {Url("oversized.bin"), kUser, "错误：服务器配置包太大：超过16777216字节"},
        {std::string(kSilentFtp) + "/server.bin", kUser, loginFailed},  // never greets
    };
    for (const auto& c : cases) {
        LogCapture log;
        const std::string url = c.url, user = c.user;
        std::optional<std::string> fetched = ResultWithin<std::string>(
            kEndsWithin, [url, user] { return FetchConfigFtp(url, user, kPassword, kQuickFtp); });
        if (!fetched) {
            ADD_FAILURE() << c.url << ": still fetching";
            continue;
        }
        EXPECT_EQ(ServerDatIn(*fetched), "") << c.url;
        std::string text = log.Text();
        EXPECT_TRUE(Contains(text, "    " + c.logLine + "\r\n")) << c.url;
        EXPECT_FALSE(Contains(text, kPassword)) << c.url;
    }
}
