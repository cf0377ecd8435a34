// Reading "client.dat": the server addresses and the installed versions.
#include <gtest/gtest.h>

#include "core/config/client_config.h"
#include "core/config/load_configurations.h"
#include "config_test_support.h"

using namespace quibo;

namespace {

class ClientConfigTest : public ::testing::Test {
protected:
    bool Load(const std::optional<std::string>& text)
    {
        return LoadClientConfig(config_, context_, text, seam_);
    }
    UpdateConfig config_;
    ConfigContext context_ = TestContext();
    FakeSeam seam_;
};

TEST_F(ClientConfigTest, ReadsAddressesAndInstalledVersions)
{
    ASSERT_TRUE(
        Load("[system]\r\n"
             "urls = url0=http://up.acme.com/server.bin;;url1=www.acme.com/x;;"
             "url2=ftp://ftp.acme.com/server.bin,,anna,,pw\r\n"
             "randomsel=1\r\n"
             "[file0]\r\nver=1.2.3\r\n"
             "[file19]\r\nver=4.0\r\n"
             "[file20]\r\nver=9.9\r\n"
             "[dir9]\r\nver=0.1\r\n"));
    ASSERT_EQ(config_.serverAddresses.size(), 2u);
    EXPECT_EQ(config_.serverAddresses[0].url, "http://up.acme.com/server.bin");
    EXPECT_EQ(config_.serverAddresses[1].url, "ftp://ftp.acme.com/server.bin");
    EXPECT_EQ(config_.serverAddresses[1].user, "anna");
    EXPECT_EQ(config_.serverAddresses[1].password, "pw");
    EXPECT_TRUE(config_.serverRandomSel);
    EXPECT_EQ(config_.files[0].clientVersion, "1.2.3");
    EXPECT_EQ(config_.files[1].clientVersion, "0.0.0");  // never installed
    EXPECT_EQ(config_.files[19].clientVersion, "4.0");
    EXPECT_EQ(config_.dirs[9].clientVersion, "0.1");
    EXPECT_TRUE(seam_.boxes.empty());
}

TEST_F(ClientConfigTest, MissingOrUnreadableConfigurationIsReported)
{
    EXPECT_FALSE(Load(std::nullopt));
    EXPECT_FALSE(Load(std::string()));
    EXPECT_EQ(seam_.boxes, (std::vector<std::string>{"错误：没有找到客户端配置文件:update.bin",
                                                     "错误：客户端配置文件:update.bin解析错误！"}));

    // A silent run (as merged by an earlier pass) shows no box.
    config_.showType = ShowType::Silent;
    EXPECT_FALSE(Load(std::nullopt));
    EXPECT_EQ(seam_.boxes.size(), 2u);
}

TEST_F(ClientConfigTest, PreviewReadsNothing)
{
    context_.runMode = RunMode::Preview;
    config_.showType = ShowType::Silent;
    EXPECT_TRUE(LoadConfigurations(config_, context_, std::nullopt, seam_));
    EXPECT_EQ(config_.showType, ShowType::Normal);
    EXPECT_EQ(config_.opMode, OpMode::Manual);
    EXPECT_TRUE(seam_.boxes.empty());
    EXPECT_TRUE(seam_.calls.empty());
}

TEST_F(ClientConfigTest, ARepeatedPassReadsOnlyTheNewPackage)
{
    ASSERT_TRUE(Load("[system]\nurls=url0=http://old/s.bin\n[file0]\nver=1.0\n"));
    ASSERT_TRUE(Load("[system]\nurls=url0=http://new/s.bin\n[file0]\nver=2.0\n"));
    ASSERT_EQ(config_.serverAddresses.size(), 1u);
    EXPECT_EQ(config_.serverAddresses[0].url, "http://new/s.bin");
    EXPECT_EQ(config_.files[0].clientVersion, "2.0");
    EXPECT_EQ(config_.client.GetString("system", "urls"), "url0=http://new/s.bin");
}

TEST_F(ClientConfigTest, LogsOnlyItemsThatWereInstalled)
{
    LogCapture log("config_client_test.log");
    ASSERT_TRUE(Load("[system]\nurls=\n[file0]\nver=0.0.0\n[file1]\nver=1.0\n[dir0]\nver=3\n"));
    std::vector<std::string> lines = log.Lines();
    std::vector<std::string> tail(lines.end() - 5, lines.end());
    EXPECT_EQ(
        tail,
        (std::vector<std::string>{
            "★★★ 以下只列出已经有过升级记录的[fileX]和[dirX]项，没有升级记录的（即版本号为0）的项不再列出。",
            "【file1】", "ver=1.0", "[dir0]", "ver=3"}));
}

}  // namespace
