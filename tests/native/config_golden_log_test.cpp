// The run log of reading a realistic client.dat and server.dat pair, byte for
// byte in code page 936 as support staff receive it.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/config/load_configurations.h"
#include "core/config/ui_skin.h"
#include "core/config/update_check.h"
#include "config_test_support.h"
#include "golden_file.h"

#ifndef _WIN32
#include <iconv.h>
#endif

using namespace quibo;

namespace {

const char kFixtures[] = "fixtures/config/";

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The program's own texts are code page 936 only in the Windows build; the
// native build speaks UTF-8, so its inputs and its log are converted.
#ifndef _WIN32
std::string Convert(const std::string& text, const char* from, const char* to)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
    std::string in = text;
    std::string out(text.size() * 4 + 16, '\0');
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1)) return "<not convertible>";
    out.resize(out.size() - outLeft);
    return out;
}
std::string FromCodePage(const std::string& text) { return Convert(text, "CP936", "UTF-8"); }
std::string ToCodePage(const std::string& text) { return Convert(text, "UTF-8", "CP936"); }
#else
std::string FromCodePage(const std::string& text) { return text; }
std::string ToCodePage(const std::string& text) { return text; }
#endif

TEST(ConfigGoldenLog, ClientAndServerConfigurationRun)
{
    const std::string clientText = FromCodePage(ReadFile(std::string(kFixtures) + "client.dat"));
    const std::string serverText = FromCodePage(ReadFile(std::string(kFixtures) + "server.dat"));
    ASSERT_FALSE(clientText.empty());
    ASSERT_FALSE(serverText.empty());

    ConfigContext context = TestContext();
    context.programFolder = "C:\\Program Files\\Acme\\Update\\";
    context.dirs[DirConstant::AppDrive] = "C:";
    context.dirs[DirConstant::Parent] = "C:\\Program Files\\Acme";

    FakeSeam seam;
    seam.productName = "Acme 办公套件";
    seam.fileVersion = "3.2";
    seam.ftp["ftp://ftp.acme-soft.com.cn/acme/server.bin"] = serverText;

    UpdateConfig config;
    UiSkin skin;
    std::string log;
    {
        LogCapture capture("config_golden_log_test.log");
        ASSERT_TRUE(LoadConfigurations(config, context, clientText, seam));
        ASSERT_TRUE(LoadUiSkin(skin, std::string("[win0]\nattr=show=1;;rect=0,0,480,360\n"), context,
                               config.showType, seam));
        ASSERT_TRUE(CompareVersions(config));
        ASSERT_TRUE(CheckSelfUpdate(config, context));
        log = ToCodePage(capture.Text());
    }

    ExpectMatchesGolden(log, std::string(kFixtures) + "load_configurations.log");

    // What the run goes on with.
    EXPECT_EQ(config.newVersionCount, 4);
    EXPECT_EQ(config.showType, ShowType::Normal);
    EXPECT_EQ(config.opMode, OpMode::Manual);
    EXPECT_EQ(config.closeProcesses, 1);
    EXPECT_EQ(config.selfUpdateIndex, 3);
    EXPECT_EQ(config.packageIndex, -1);
    EXPECT_EQ(config.serverAddresses.size(), 1u);  // the local address was never needed
    EXPECT_EQ(config.files[2].name, "help.zip");
    EXPECT_EQ(config.files[2].path, "C:\\Program Files\\Acme\\帮助\\");
    EXPECT_EQ(config.files[3].md5, "");
    EXPECT_EQ(config.dirs[0].addresses.at(0).user, "update");
    EXPECT_EQ(config.pages.startWinMsg, "发现 Acme 新版本，现在升级吗？");
}

TEST(ConfigGoldenLog, AMissingGoldenFailsAndIsNotWritten)
{
    const char kMissing[] = "fixtures/config/no_such_golden.log";
    EXPECT_NONFATAL_FAILURE(ExpectMatchesGolden("any log", kMissing, nullptr), "is missing");
    EXPECT_FALSE(std::ifstream(kMissing).good());
}

}  // namespace
