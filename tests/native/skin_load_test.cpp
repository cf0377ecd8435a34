// Reading the skin "ui.dat": every page's window, pictures, labels, buttons
// and controls, in silence.
#include <gtest/gtest.h>

#include "core/config/ui_skin.h"
#include "core/config/update_config.h"
#include "config_test_support.h"

using namespace quibo;

namespace {

const char kSkin[] =
    "[UI]\n"
    "title=Acme 升级\n"
    "sysicon= icons.bmp : 4\n"
    "[win0]\n"
    "attr=show=1;;rect=0,0,480,360;;clrbk=16777215\n"
    "image0=show=1;;rect=0,0,480,60;;bmpfile=top.bmp\n"
    "image1=show=0;;rect=0,300,480,60;;bmpfile=bottom.bmp;;clrts=255\n"
    "button0=rect=300,320,80,24;;text=下一步\n"
    "button1=rect=390,320,80,24;;text=取消\n"
    "static0=show=1;;rect=10,70,460,20;;text=发现新版本;;clrtext=255;;fontsize=12;;fontweight=700\n"
    "static3=show=1;;rect=10,330,200,20;;text=Acme;;url=http://www.acme.com;;clrnormal=16711680;;"
    "clrHover=255;;nor_underline=0;;hov_underline=1;;fontitalic=1;;fontunderline=1\n"
    "list=show=1;;rect=10,100,460,200\n"
    "[win1]\n"
    "attr=show=1;;rect=0,0,480,360\n"
    "list=show=1;;rect=1,1,1,1\n"
    "rich_edit=show=1;;rect=2,2,2,2\n"
    "progress0=show=1;;rect=3,3,3,3\n"
    "progress1=show=0;;rect=4,4,4,4\n"
    "status0=show=1;;rect=5,5,5,5\n"
    "status1=show=1;;rect=6,6,6,6\n"
    "[win2]\n"
    "list=show=1;;rect=9,9,9,9\n"
    "[win3]\n"
    "attr=show=1;;rect=0,0,480,360\n"
    "rich_edit=show=1;;rect=7,7,7,7\n"
    "progress0=show=1;;rect=8,8,8,8\n"
    "status0=show=0;;rect={temp},0,0,0\n"
    "status1=show=1;;rect=9,9,9,9\n";

class SkinLoadTest : public ::testing::Test {
protected:
    bool Load(const std::optional<std::string>& text, ShowType showType = ShowType::Normal)
    {
        return LoadUiSkin(skin_, text, context_, showType, seam_);
    }
    UiSkin skin_;
    ConfigContext context_ = TestContext();
    FakeSeam seam_;
};

TEST_F(SkinLoadTest, EveryPageReadsItsOwnKeys)
{
    ASSERT_TRUE(Load(kSkin));
    EXPECT_EQ(skin_.title, "Acme 升级");
    EXPECT_EQ(skin_.sysicon, "icons.bmp : 4");

    const WindowSkin& w0 = skin_.windows[0];
    EXPECT_TRUE(w0.rect == (SkinRect{0, 0, 480, 360}));
    EXPECT_EQ(w0.clrbk, 16777215u);
    EXPECT_EQ(w0.show, 1);
    EXPECT_EQ(skin_.images[0][0].bmpfile, "top.bmp");
    EXPECT_EQ(skin_.images[0][0].show, 1);
    EXPECT_TRUE(skin_.images[0][1].rect == (SkinRect{0, 300, 480, 360}));
    EXPECT_EQ(skin_.images[0][1].show, 0);
    EXPECT_EQ(skin_.buttons[0][0].text, "下一步");
    EXPECT_TRUE(skin_.buttons[0][1].rect == (SkinRect{390, 320, 470, 344}));

    const StaticSkin& label = skin_.statics[0][0];
    EXPECT_EQ(label.text, "发现新版本");
    EXPECT_EQ(label.clrtext, 255u);
    EXPECT_EQ(label.fontsize, 12);
    EXPECT_EQ(label.fontweight, 700);
    const StaticSkin& link = skin_.statics[0][3];
    EXPECT_EQ(link.url, "http://www.acme.com");
    EXPECT_EQ(link.clrnormal, 16711680u);
    EXPECT_EQ(link.clrHover, 255u);
    EXPECT_EQ(link.norUnderline, 0);
    EXPECT_EQ(link.hovUnderline, 1);
    EXPECT_EQ(link.fontitalic, 1);
    EXPECT_EQ(link.fontunderline, 1);
    EXPECT_EQ(skin_.statics[0][1].show, 0);  // absent: hidden

    // Controls land in the slots of their pages; page 2 has none, and page 3
    // has no second status line.
    auto left = [](const ControlSkin& c) { return c.rect.left; };
    EXPECT_EQ(left(skin_.lists[0]), 10);
    EXPECT_EQ(left(skin_.lists[1]), 1);
    EXPECT_EQ(left(skin_.richEdits[0]), 2);
    EXPECT_EQ(left(skin_.progress[0]), 3);
    EXPECT_EQ(left(skin_.progress[1]), 4);
    EXPECT_EQ(skin_.progress[1].show, 0);
    EXPECT_EQ(left(skin_.status[0]), 5);
    EXPECT_EQ(left(skin_.status[1]), 6);
    EXPECT_EQ(left(skin_.richEdits[1]), 7);
    EXPECT_EQ(left(skin_.progress[2]), 8);
    EXPECT_EQ(skin_.status[2].show, 0);
    EXPECT_EQ(left(skin_.status[2]), 0);  // "{temp}" is not at the start of the value
}

TEST_F(SkinLoadTest, AMissingPageOrKeyGivesEmptyValues)
{
    ASSERT_TRUE(Load("[win0]\nattr=show=1;;rect=0,0,10,10\n"));
    EXPECT_EQ(skin_.windows[1].show, 0);
    EXPECT_TRUE(skin_.windows[1].rect == SkinRect{});
    EXPECT_EQ(skin_.windows[1].clrbk, 0u);
    EXPECT_EQ(skin_.title, "自动升级程序");
    EXPECT_EQ(skin_.sysicon, "");
    EXPECT_TRUE(seam_.boxes.empty());
}

TEST_F(SkinLoadTest, FailuresAreReportedUnlessSilent)
{
    EXPECT_FALSE(Load(std::nullopt));
    EXPECT_FALSE(Load(std::string()));
    EXPECT_EQ(seam_.boxes,
              (std::vector<std::string>{"错误：没有找到配置文件:update.bin", "错误：界面配置解析错误！"}));
    EXPECT_FALSE(Load(std::nullopt, ShowType::Silent));
    EXPECT_FALSE(Load(std::string(), ShowType::Silent));
    EXPECT_EQ(seam_.boxes.size(), 2u);
}

TEST_F(SkinLoadTest, ReadingTheSkinWritesNothingToTheLog)
{
    LogCapture log("skin_load_test.log");
    WriteLog("before");
    ASSERT_TRUE(Load(kSkin));
    WriteLog("after");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"before", "after"}));

    // An outer mute is still in force afterwards.
    {
        LogMute mute;
        ASSERT_TRUE(Load(kSkin));
        EXPECT_FALSE(RunLog::Instance().Allowed());
    }
    EXPECT_TRUE(RunLog::Instance().Allowed());
}

}  // namespace
