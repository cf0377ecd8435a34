// Fetching the server configuration package over HTTP(S) and from a folder.
#include <gtest/gtest.h>

#include "core/package/package.h"
#include "download/config_fetch.h"
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

}  // namespace

TEST(FetchConfigHttp, ReadsServerDatOutOfThePackage)
{
    ScratchDir dir;
    ServedFile package("server_package.bin", MakePackage(dir, "server.dat", kServerText));
    for (std::string url : {std::string(kHttp) + "server_package.bin", std::string(kHttps) + "server_package.bin",
                            std::string(kOdd) + "redirect/server_package.bin"}) {
        LogCapture log;
        EXPECT_EQ(FetchConfigHttp(url), kServerText) << url;
        EXPECT_NE(log.Text().find("开始下载\r\n"), std::string::npos);
    }
}

TEST(FetchConfigHttp, EveryFailureIsEmpty)
{
    ScratchDir dir;
    ServedFile noMember("no_member.bin", MakePackage(dir, "client.dat", kServerText));
    ServedFile notZip("not_zip.bin", PatternBytes(5000));
    const std::string cases[] = {
        std::string(kHttp) + "no_such_package.bin",  // 404 with an error page
        std::string(kHttp) + "no_member.bin",
        std::string(kHttp) + "not_zip.bin",
        std::string(kOdd) + "nolength?size=5000",
        std::string(kOdd) + "cut?size=5000",
        std::string(kHttpsWrongName) + "no_member.bin",
        std::string(kClosed) + "server.bin",
    };
    for (const auto& url : cases) EXPECT_EQ(FetchConfigHttp(url), "") << url;
}

TEST(FetchConfigLocal, ReadsTheFolderPackage)
{
    ScratchDir dir;
    const std::string path = dir / "服务器 配置.bin";
    WriteBytes(path, MakePackage(dir, "server.dat", kServerText));
    WriteBytes(dir / "not_zip.bin", PatternBytes(100));
    EXPECT_EQ(FetchConfigLocal(path), kServerText);
    EXPECT_EQ(FetchConfigLocal(dir / "not_zip.bin"), "");
    EXPECT_EQ(FetchConfigLocal(dir / "absent.bin"), "");
    ::DeleteFileA(path.c_str());
}
