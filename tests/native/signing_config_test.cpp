// What a client's trust reads from "client.dat", and how a run takes a signed
// server package into its configuration.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/config/client_config.h"
#include "core/config/load_configurations.h"
#include "core/config/server_config.h"
#include "core/config/server_fetch.h"
#include "config_test_support.h"
#include "signed_package_support.h"

using namespace quibo;
using namespace signedtest;

namespace {

const PublicKey kKey = fakecrypto::FakeKey(1);
const PublicKey kOtherKey = fakecrypto::FakeKey(2);
const char kNoKeyNotice[] = "注意：客户端配置中没有公钥，服务器端配置包不做签名验证！";

std::string ClientDat(const std::string& system)
{
    return "[system]\r\nurls=url0=http://a/s.bin;;url1=http://b/s.bin\r\n" + system;
}

std::size_t CountOf(const std::vector<std::string>& lines, const std::string& line)
{
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

TEST(ClientTrust, ReadsKeysProductAndSequence)
{
    const std::string key = FormatPublicKey(kKey), other = FormatPublicKey(kOtherKey);
    struct Case {
        const char* name;
        std::string system;
        std::size_t keys;
        bool malformed;
        std::uint64_t sequence;
    } cases[] = {
        {"one key", "pubkey=" + key + "\r\nproduct=Acme\r\nsequence=12\r\n", 1, false, 12},
        {"two keys, no sequence yet", "pubkey=" + key + ";;" + other + "\r\nproduct=Acme\r\n", 2, false, 0},
        {"keys in upper case", "pubkey=" + FormatPublicKey(fakecrypto::FakeKey(0xAB)).replace(0, 2, "AB") +
                                   "\r\nproduct=Acme\r\n",
         1, false, 0},
        {"four keys", "pubkey=" + key + ";;" + key + ";;" + key + ";;" + key + "\r\nproduct=Acme\r\n", 4, false, 0},
        {"five keys", "pubkey=" + key + ";;" + key + ";;" + key + ";;" + key + ";;" + key + "\r\n", 0, true, 0},
        {"bad hex", "pubkey=" + key.substr(0, 127) + "g\r\n", 0, true, 0},
        {"short key", "pubkey=" + key.substr(2) + "\r\n", 0, true, 0},
        {"no key", "product=Acme\r\nsequence=3\r\n", 0, false, 0},
    };
    for (const Case& c : cases) {
        UpdateConfig config;
        FakeSeam seam;
        ASSERT_TRUE(LoadClientConfig(config, TestContext(), ClientDat(c.system), seam)) << c.name;
        EXPECT_EQ(config.trust.keys.size(), c.keys) << c.name;
        EXPECT_EQ(config.trust.keysMalformed, c.malformed) << c.name;
        EXPECT_EQ(config.trust.RequiresSignature(), c.keys > 0 || c.malformed) << c.name;
        EXPECT_EQ(config.trust.sequence, c.sequence) << c.name;
    }
}

TEST(ClientTrust, TheTrustIsLoggedAndAClientWithoutKeysIsToldOncePerRun)
{
    LogCapture log("signing_config_test.log");
    UpdateConfig config;
    FakeSeam seam;
    const std::string key = FormatPublicKey(kKey);
    ASSERT_TRUE(LoadClientConfig(config, TestContext(), ClientDat("pubkey=" + key + "\r\nproduct=Acme\r\nsequence=9\r\n"), seam));
    // A later pass of the same run reads a package without keys twice.
    ASSERT_TRUE(LoadClientConfig(config, TestContext(), ClientDat(""), seam));
    ASSERT_TRUE(LoadClientConfig(config, TestContext(), ClientDat(""), seam));
    const std::vector<std::string> lines = log.Lines();
    EXPECT_EQ(CountOf(lines, "pubkey=" + key), 1u);
    EXPECT_EQ(CountOf(lines, "product=Acme"), 1u);
    EXPECT_EQ(CountOf(lines, "sequence=9"), 1u);
    EXPECT_EQ(CountOf(lines, kNoKeyNotice), 1u);
}

TEST(SignedRun, ARefusedPackageGivesWayToTheNextAddressAndTheAcceptedOneFillsTheItems)
{
    LogCapture log("signing_config_run.log");
    UpdateConfig config;
    FakeSeam seam;
    ConfigContext context = TestContext();
    ASSERT_TRUE(LoadClientConfig(config, context,
                                 ClientDat("pubkey=" + FormatPublicKey(kKey) + "\r\nproduct=Acme\r\nsequence=4\r\n"),
                                 seam));
    seam.http["http://a/s.bin"] = Pack(WithSignature(ReleaseMembers(), {kOtherKey}));
    seam.http["http://b/s.bin"] = Pack(WithSignature(ReleaseMembers(), {kKey}));

    std::optional<ServerPackage> package = FetchServerConfig(config, seam);
    ASSERT_TRUE(package);
    ParseServerConfig(config, context, *package);

    const std::vector<std::string> lines = log.Lines();
    const auto refused = std::find(lines.begin(), lines.end(), "错误：服务器端配置包的签名验证失败！");
    ASSERT_NE(refused, lines.end());
    EXPECT_EQ(*(refused + 1), "下载文件失败！");
    EXPECT_EQ(*(refused + 2), "★ 下载服务器端配置文件：http://b/s.bin");
    EXPECT_EQ(CountOf(lines, kNoKeyNotice), 0u);

    ASSERT_TRUE(config.release);
    EXPECT_EQ(config.release->sequence, 5u);
    EXPECT_EQ(config.files[0].sha256, kSha);
    EXPECT_EQ(config.files[0].size, 120u);
    ASSERT_TRUE(config.dirs[0].listed);
    EXPECT_EQ(config.dirs[0].listed->at(1).name, "sub\\b.ini");
    EXPECT_EQ(config.dirs[0].listed->at(1).size, 9u);
}

TEST(SignedRun, AnUnsignedPackageLeavesTheItemsWithoutDigests)
{
    UpdateConfig config;
    FakeSeam seam;
    ConfigContext context = TestContext();
    ASSERT_TRUE(LoadClientConfig(config, context, ClientDat(""), seam));
    // Even digests in the text count for nothing: nobody signed them.
    seam.http["http://a/s.bin"] = Pack(ReleaseMembers());
    std::optional<ServerPackage> package = FetchServerConfig(config, seam);
    ASSERT_TRUE(package);
    ParseServerConfig(config, context, *package);
    EXPECT_FALSE(config.release);
    EXPECT_EQ(config.files[0].sha256, "");
    EXPECT_FALSE(config.files[0].size);
    EXPECT_FALSE(config.dirs[0].listed);
}

}  // namespace

namespace {

TEST(ClientTrust, TheRecordedSequenceOnlyGrows)
{
    struct Case {
        const char* name;
        const char* client;
        std::uint64_t sequence;
        bool changed;
        const char* recorded;
    } cases[] = {
        {"none yet", "[system]\r\nurls=x\r\n", 5, true, "5"},
        {"older recorded", "[system]\r\nsequence=4\r\n", 5, true, "5"},
        {"same recorded", "[system]\r\nsequence=5\r\n", 5, false, "5"},
        {"newer recorded", "[system]\r\nsequence=9\r\n", 5, false, "9"},
        {"unreadable recorded", "[system]\r\nsequence=x\r\n", 5, true, "5"},
    };
    for (const Case& c : cases) {
        CConfigIni client;
        client.LoadText(c.client);
        EXPECT_EQ(RaiseClientSequence(client, c.sequence), c.changed) << c.name;
        EXPECT_EQ(client.GetString("system", "sequence"), c.recorded) << c.name;
    }
}

}  // namespace
