// Fetching and reading "server.dat": the address loop, the item keys, the
// merged display settings, the hooks and the message box switches.
#include <gtest/gtest.h>

#include "core/config/load_configurations.h"
#include "core/config/server_config.h"
#include "core/config/server_fetch.h"
#include "core/config/update_check.h"
#include "config_test_support.h"

using namespace quibo;

namespace {

using List = std::vector<std::string>;

std::vector<UrlAddress> Addresses(const List& urls)
{
    std::vector<UrlAddress> addresses;
    for (const std::string& url : urls) addresses.push_back({url, "", ""});
    return addresses;
}

// The "server.dat" text of the package taken; empty for none.
std::string FetchedText(UpdateConfig& config, ConfigSeam& seam)
{
    std::optional<ServerPackage> package = FetchServerConfig(config, seam);
    return package ? package->serverText : std::string();
}

TEST(ServerFetch, EachAddressIsTriedOnceInOrderOrAtRandom)
{
    struct Case {
        const char* name;
        bool randomSel;
        std::vector<int> randoms;
        List good;           // addresses that answer
        List expectedCalls;  // hosts asked, in order
        std::string expectedText;
        List expectedLeft;
    } cases[] = {
        {"in order", false, {}, {"http://b/s"}, {"a", "b"}, "http://b/s", {"http://c/s"}},
        {"random", true, {2, 0}, {"http://a/s"}, {"c", "a"}, "http://a/s", {"http://b/s"}},
        {"random, all fail", true, {1, 1, 7}, {}, {"b", "c", "a"}, "", {}},
        {"in order, all fail", false, {}, {}, {"a", "b", "c"}, "", {}},
    };
    for (const Case& c : cases) {
        UpdateConfig config;
        config.serverAddresses = Addresses({"http://a/s", "http://b/s", "http://c/s"});
        config.serverRandomSel = c.randomSel;
        FakeSeam seam;
        seam.randoms = c.randoms;
        for (const std::string& url : c.good) seam.http[url] = url;

        EXPECT_EQ(FetchedText(config, seam), c.expectedText) << c.name;
        List calls;
        for (const std::string& call : seam.calls)
            calls.push_back(call.substr(std::string("http http://").size(), 1));
        EXPECT_EQ(calls, c.expectedCalls) << c.name;
        List left;
        for (const UrlAddress& a : config.serverAddresses) left.push_back(a.url);
        EXPECT_EQ(left, c.expectedLeft) << c.name;
    }
}

TEST(ServerFetch, EachKindOfAddressGoesToItsFetcher)
{
    UpdateConfig config;
    config.serverAddresses = {{"ftp://ftp.acme.com/pub/server.bin", "anna", "pw"},
                              {"file://C:/Acme%20Updates/server.bin/", "", ""},
                              {"file:///D:/up/server.bin", "", ""},
                              {"https://up.acme.com/server.bin", "", ""},
                              {"gopher://up.acme.com/server.bin", "", ""}};
    FakeSeam seam;
    EXPECT_EQ(FetchedText(config, seam), "");
    EXPECT_EQ(seam.calls,
              (List{"ftp ftp://ftp.acme.com/pub/server.bin anna pw", "local C:/Acme Updates/server.bin",
                    "local D:/up/server.bin", "http https://up.acme.com/server.bin",
                    "http gopher://up.acme.com/server.bin"}));
}

TEST(ServerFetch, NoAddressAnsweringMeansNoConfiguration)
{
    UpdateConfig config;
    ConfigContext context = TestContext();
    FakeSeam seam;
    LogCapture log("config_server_fetch_test.log");
    EXPECT_FALSE(
        LoadConfigurations(config, context, "[system]\nurls=url0=http://a/s;;url1=ftp://b/s\n", seam));
    std::vector<std::string> lines = log.Lines();
    EXPECT_EQ(
        List(lines.end() - 5, lines.end()),
        (List{"★ 下载服务器端配置文件：http://a/s", "下载文件失败！", "★ 下载服务器端配置文件：ftp://b/s",
              "下载文件失败！", "错误：下载配置文件失败，可能是配置文件不存在，或解析错误，或网络不通！"}));
}

class ServerConfigTest : public ::testing::Test {
protected:
    void Parse(const std::string& text) { ParseServerConfig(config_, context_, text); }
    UpdateConfig config_;
    ConfigContext context_ = TestContext();
};

TEST_F(ServerConfigTest, NewerFileItemTakesEveryKey)
{
    config_.files[3].clientVersion = "1.0";
    Parse(
        "[file3]\n"
        "ver=1.1\n"
        "urls=url0=http://up.acme.com/bin/acme.exe;;url1=ftp://ftp.acme.com/acme.exe,,anna,,pw\n"
        "randomsel=1\n"
        "path={pf}\\Acme\n"
        "modify_ver=0\n"
        "uncompress=1\n"
        "runme=1\n"
        "runme_pause=1\n"
        "runme_param= /quiet \n"
        "md5=0123456789abcdef0123456789ABCDEF\n"
        "rename=Acme.exe\n"
        "describe=主程序\n");
    const UpdateItem& item = config_.files[3];
    EXPECT_EQ(item.serverVersion, "1.1");
    ASSERT_EQ(item.addresses.size(), 2u);
    EXPECT_EQ(item.addresses[1].url, "ftp://ftp.acme.com/acme.exe");
    EXPECT_EQ(item.addresses[1].user, "anna");
    EXPECT_EQ(item.addresses[1].password, "pw");
    EXPECT_EQ(item.randomSel, 1);
    EXPECT_EQ(item.path, "C:\\Program Files\\Acme\\");
    EXPECT_EQ(item.modifyVer, 0);
    EXPECT_EQ(item.uncompress, 1);
    EXPECT_EQ(item.runme, 1);
    EXPECT_EQ(item.runmePause, 1);
    EXPECT_EQ(item.runmeParam, "/quiet");
    EXPECT_EQ(item.md5, "0123456789abcdef0123456789ABCDEF");
    EXPECT_EQ(item.name, "Acme.exe");
    EXPECT_EQ(item.describe, "主程序");
    EXPECT_EQ(config_.newVersionCount, 1);
}

TEST_F(ServerConfigTest, FileItemDefaults)
{
    Parse("[file0]\nver=1.0\nurls=url0=http://up.acme.com/bin/acme.dll\n");
    const UpdateItem& item = config_.files[0];
    EXPECT_EQ(item.modifyVer, 1);
    EXPECT_EQ(item.path, "");
    EXPECT_EQ(item.md5, "");
    EXPECT_EQ(item.name, "acme.dll");  // taken from the first address
}

TEST_F(ServerConfigTest, AnMd5OfAnyLengthButThirtyTwoMeansNoCheck)
{
    const std::string md5 = "0123456789abcdef0123456789ABCDEF";
    const std::pair<std::string, std::string> cases[] = {
        {md5, md5},      {md5.substr(0, 16), ""}, {md5.substr(0, 31), ""},
        {md5 + "0", ""}, {md5 + "01234567", ""},  // 40 characters, as a SHA-1 digest is written
        {"", ""},
    };
    for (const auto& [given, kept] : cases) {
        UpdateConfig config;
        ParseServerConfig(config, context_,
                          "[file0]\nver=1.0\nurls=url0=http://h/a.dll\nmd5=" + given + "\n");
        EXPECT_EQ(config.files[0].md5, kept) << given.size() << " characters";
    }
}

TEST_F(ServerConfigTest, AnAddressOfSchemeAloneIsSkipped)
{
    Parse(
        "[file0]\nver=1.0\nurls=url0=http://;;url1=http://h/b.dll\n"
        "[file1]\nver=1.0\nurls=url0=http://\n");
    ASSERT_EQ(config_.files[0].addresses.size(), 1u);
    EXPECT_EQ(config_.files[0].addresses[0].url, "http://h/b.dll");
    EXPECT_EQ(config_.files[0].name, "b.dll");
    EXPECT_TRUE(config_.files[1].addresses.empty());
    EXPECT_TRUE(CompareVersions(config_));
    EXPECT_EQ(config_.files[1].isNew, 0);  // nothing to fetch it from
}

TEST_F(ServerConfigTest, NewerFolderItemKeepsItsPathAsGiven)
{
    Parse(
        "[dir2]\nver=3.0\nurls=url0=ftp://ftp.acme.com/skins/\npath={parent}\\Skins\n"
        "filter=*.bmp,*.ini\nis_inc_subdir=1\ndescribe=皮肤\nmodify_ver=0\n");
    const UpdateItem& item = config_.dirs[2];
    EXPECT_EQ(item.path, "C:\\Acme\\Skins");
    EXPECT_EQ(item.filter, "*.bmp,*.ini");
    EXPECT_EQ(item.isIncSubdir, 1);
    EXPECT_EQ(item.modifyVer, 0);
    EXPECT_EQ(item.describe, "皮肤");
    EXPECT_EQ(item.name, "");
}

TEST_F(ServerConfigTest, ItemsNotOfferedOrNotNewerAreLeftAlone)
{
    config_.files[0].describe = "kept";
    config_.files[0].clientVersion = "2.0";
    config_.files[1].describe = "kept";
    LogCapture log("config_server_items_test.log");
    Parse(
        "[file0]\nver=1.5\nurls=url0=http://h/a.exe\ndescribe=older\n"
        "[file1]\nver=2.0\nurls=\ndescribe=no address\n"
        "[file2]\nver=0.0.0\nurls=url0=http://h/c.exe\n");
    EXPECT_EQ(config_.files[0].describe, "kept");
    EXPECT_TRUE(config_.files[0].addresses.empty());
    EXPECT_EQ(config_.files[1].describe, "kept");
    EXPECT_EQ(config_.newVersionCount, 0);

    // Only the offered item is listed, and no item key is read.
    List lines = log.Lines();
    EXPECT_EQ(
        List(lines.begin() + 2, lines.begin() + 6),
        (List{"【file0】", "urls=url0=http://h/a.exe", "ver=1.5", "★ 共发现 0 个有效的[fileX]或[dirx]项"}));
}

TEST_F(ServerConfigTest, DisplayAndOperationModeMergeOverNewerItems)
{
    struct Offer {
        int showType, opMode;
        bool newer;
    };
    struct Case {
        std::vector<Offer> offers;
        ShowType showType;
        OpMode opMode;
    } cases[] = {
        {{}, ShowType::Silent, OpMode::Automatic},
        {{{2, 1, true}, {0, 1, true}}, ShowType::Normal, OpMode::Automatic},
        {{{1, 1, true}, {2, 0, true}}, ShowType::SemiSilent, OpMode::Manual},
        {{{0, 0, false}, {2, 1, true}}, ShowType::Silent, OpMode::Automatic},  // only newer items count
        {{{2, 5, true}}, ShowType::Silent, OpMode::Automatic},  // any non-zero op_mode is automatic
    };
    for (const Case& c : cases) {
        UpdateConfig config;
        config.showType = ShowType::Normal;
        config.opMode = OpMode::Manual;
        std::string text;
        for (size_t i = 0; i < c.offers.size(); ++i) {
            const Offer& o = c.offers[i];
            // Alternate files and folders: both merge the same way.
            text += (i % 2 ? "[dir" : "[file") + std::to_string(i) +
                    "]\nver=" + (o.newer ? "1.0" : "0.0.0.1") +
                    "\nurls=url0=http://h/x\nshow_type=" + std::to_string(o.showType) +
                    "\nop_mode=" + std::to_string(o.opMode) + "\n";
            config.Item(i % 2 ? ItemKind::Dir : ItemKind::File, static_cast<int>(i)).clientVersion =
                "0.0.0.5";
        }
        ParseServerConfig(config, context_, text);
        EXPECT_EQ(config.showType, c.showType) << text;
        EXPECT_EQ(config.opMode, c.opMode) << text;
    }
}

TEST_F(ServerConfigTest, SystemHooksAndCloseLists)
{
    Parse(
        "[system]\n"
        "run_before={pf}\\Acme\\stop.exe\nrun_before_pause=1\nrun_after=start.exe\nrun_after_pause=1\n"
        "run_nonetwork=offline.exe\nrun_udbefore=a.exe\nrun_udafters=b.exe\nrun_udafterf=c.exe\n"
        "run_dlbefore=d.exe\nrun_dlafters=e.exe\nrun_dlafterf=f.exe\n"
        "close_proc1= acme.exe, helper.exe ,\nclose_proc2=Acme 主窗口\nclose_proc3=AcmeWnd\n"
        "close_items=file0,dir1\n");
    const SystemHooks& h = config_.system;
    EXPECT_EQ(h.runBefore, "C:\\Program Files\\Acme\\stop.exe");
    EXPECT_EQ(h.runBeforePause, 1);
    EXPECT_EQ(h.runAfter, "start.exe");
    EXPECT_EQ(h.runAfterPause, 1);
    EXPECT_EQ(h.runNonetwork, "offline.exe");
    EXPECT_EQ(
        List({h.runUdbefore, h.runUdafters, h.runUdafterf, h.runDlbefore, h.runDlafters, h.runDlafterf}),
        (List{"a.exe", "b.exe", "c.exe", "d.exe", "e.exe", "f.exe"}));
    EXPECT_EQ(h.closeProc1, (List{"acme.exe", "helper.exe"}));
    EXPECT_EQ(h.closeProc2, List{"Acme 主窗口"});
    EXPECT_EQ(h.closeProc3, List{"AcmeWnd"});
    EXPECT_EQ(h.closeItems, (List{"file0", "dir1"}));

    // A later configuration without the lists clears them.
    Parse("[system]\n");
    EXPECT_TRUE(config_.system.closeProc1.empty());
    EXPECT_TRUE(config_.system.closeItems.empty());
    EXPECT_EQ(config_.system.runBefore, "");
}

TEST_F(ServerConfigTest, PageSwitchesHaveDefaultsAndCanBeSet)
{
    Parse("[UI]\nstart_win=0\ndl_win_msg=网络不通\nend_win2=\n");
    const PageSwitches& p = config_.pages;
    const PageSwitches defaults;
    EXPECT_EQ(p.noupdateWin, 0);
    EXPECT_EQ(p.noupdateWinMsg, "没有发现新版本！");
    EXPECT_EQ(p.startWin, 0);
    EXPECT_EQ(p.startWinMsg, "发现新版本，现在升级吗？");
    EXPECT_EQ(p.closeWin, 1);
    EXPECT_EQ(p.closeWinMsg, defaults.closeWinMsg);
    EXPECT_EQ(p.dlWin, 1);
    EXPECT_EQ(p.dlWinMsg, "网络不通");
    EXPECT_EQ(p.endWin1, 1);
    EXPECT_EQ(p.endWin2, 0);  // present but empty reads as 0
    EXPECT_EQ(p.endWin1Msg, "升级完成！");
    EXPECT_EQ(p.endWin2Msg, "升级失败！");
}

TEST_F(ServerConfigTest, StrategyLinesNameTheMergedModes)
{
    struct Case {
        int showType, opMode;
        const char* opText;
        const char* showText;
    } cases[] = {
        {0, 1, "操作方式：自动", "显示类型：常规"},
        {1, 0, "操作方式：手动", "显示类型：半静默"},
        {2, 1, "操作方式：自动", "显示类型：静默"},
        {-1, 1, "操作方式：自动", "显示类型：静默"},
    };
    for (const Case& c : cases) {
        UpdateConfig config;
        LogCapture log("config_server_strategy_test.log");
        ParseServerConfig(config, context_,
                          "[file0]\nver=1\nurls=url0=http://h/x\nshow_type=" + std::to_string(c.showType) +
                              "\nop_mode=" + std::to_string(c.opMode) + "\n");
        List lines = log.Lines();
        EXPECT_EQ(
            List(lines.end() - 4, lines.end()),
            (List{"★ 服务器端配置文件解析完毕!", "★★★ 共用关键字策略分析结果：", c.opText, c.showText}));
    }
}

}  // namespace
