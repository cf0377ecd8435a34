// The product's default skin as the build made it (tools/make_skin.py), read
// with the program's own parsers: every page must show, everything on a page
// must lie on it, and every picture it names must be there and drawable.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "config_test_support.h"
#include "core/config/ui_skin.h"
#include "core/image/bmp_layout.h"

using namespace quibo;

namespace {

std::optional<std::string> ReadSkinFile(const std::string& name)
{
    std::ifstream in(std::string(UPDATER_DEFAULT_SKIN_DIR) + "/" + name, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Placed {
    std::string what;
    SkinRect rect;
    bool shown;
};

// Everything a page places, by the page it belongs to.
std::vector<Placed> PlacedOn(const UiSkin& skin, int page)
{
    std::vector<Placed> placed;
    const std::string p = "page " + std::to_string(page) + " ";
    for (int i = 0; i < 2; ++i) {
        const ImageSkin& image = skin.images[page][i];
        placed.push_back({p + "image" + std::to_string(i), image.rect, image.show != 0});
    }
    for (int i = 0; i < 4; ++i) {
        const StaticSkin& label = skin.statics[page][i];
        placed.push_back({p + "static" + std::to_string(i), label.rect, label.show != 0});
    }
    // The update page has no first button; every other button is always shown.
    for (int i = page == 3 ? 1 : 0; i < 2; ++i)
        placed.push_back({p + "button" + std::to_string(i), skin.buttons[page][i].rect, true});
    auto control = [&](const char* name, const ControlSkin& c) { placed.push_back({p + name, c.rect, c.show != 0}); };
    if (page == 0) control("list", skin.lists[0]);
    if (page == 1) {
        control("list", skin.lists[1]);
        control("rich_edit", skin.richEdits[0]);
        control("progress0", skin.progress[0]);
        control("progress1", skin.progress[1]);
        control("status0", skin.status[0]);
        control("status1", skin.status[1]);
    }
    if (page == 3) {
        control("rich_edit", skin.richEdits[1]);
        control("progress0", skin.progress[2]);
        control("status0", skin.status[2]);
    }
    return placed;
}

bool Inside(const SkinRect& inner, const SkinRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

class DefaultSkin : public ::testing::Test {
protected:
    void SetUp() override
    {
        text_ = ReadSkinFile("ui.dat");
        ASSERT_TRUE(text_) << "the build left no ui.dat in " << UPDATER_DEFAULT_SKIN_DIR;
        ConfigContext context = TestContext();
        FakeSeam seam;
        ASSERT_TRUE(LoadUiSkin(skin_, text_, context, ShowType::Normal, seam));
    }

    // The picture member `name` as the program would read it: there, a BMP it
    // can draw, 24-bit colour.
    BmpLayout ExpectPicture(const std::string& name)
    {
        std::optional<std::string> bytes = ReadSkinFile(name);
        if (!bytes) {
            ADD_FAILURE() << name << " is named by the skin but missing";
            return {};
        }
        BmpParse parse = ParseBmp(*bytes);
        EXPECT_EQ(parse.error, BmpError::None) << name << ": " << BmpErrorText(parse.error);
        EXPECT_EQ(parse.layout.bitCount, 24) << name;
        EXPECT_EQ(parse.layout.compression, BmpCompression::Rgb) << name;
        return parse.layout;
    }

    std::optional<std::string> text_;
    UiSkin skin_;
};

TEST_F(DefaultSkin, EveryPageShowsAndEverythingItPlacesLiesOnIt)
{
    for (int page = 0; page < kSkinPageCount; ++page) {
        const WindowSkin& window = skin_.windows[page];
        EXPECT_NE(window.show, 0) << "page " << page << " would run with the frame hidden";
        EXPECT_FALSE(window.rect.Empty()) << "page " << page;
        for (const Placed& p : PlacedOn(skin_, page)) {
            if (p.shown) {
                EXPECT_FALSE(p.rect.Empty()) << p.what << " is shown with no room";
            }
            if (!p.rect.Empty()) {
                EXPECT_TRUE(Inside(p.rect, window.rect)) << p.what << " lies off its page";
            }
        }
    }
}

TEST_F(DefaultSkin, ButtonsCarryTheWizardsCaptionsInCodePage936)
{
    const std::string next = "\xCF\xC2\xD2\xBB\xB2\xBD(&N)";  // 下一步(&N)
    const std::string pause = "\xD4\xDD\xCD\xA3(&P)";          // 暂停(&P)
    const std::string cancel = "\xC8\xA1\xCF\xFB(&X)";         // 取消(&X)
    const std::string first[] = {next, pause, next};
    for (int page = 0; page < 3; ++page) EXPECT_EQ(skin_.buttons[page][0].text, first[page]) << "page " << page;
    for (int page = 0; page < kSkinPageCount; ++page)
        EXPECT_EQ(skin_.buttons[page][1].text, cancel) << "page " << page;

    // The package holds Windows text: every line ends in CR LF.
    for (std::size_t i = text_->find('\n'); i != std::string::npos; i = text_->find('\n', i + 1))
        ASSERT_TRUE(i > 0 && (*text_)[i - 1] == '\r') << "a bare line feed at byte " << i;
}

TEST_F(DefaultSkin, EveryPictureIsThereAndFitsItsPlaceUnstretched)
{
    int pictures = 0;
    for (int page = 0; page < kSkinPageCount; ++page) {
        for (const ImageSkin& image : skin_.images[page]) {
            if (image.show != 0) {
                EXPECT_FALSE(image.bmpfile.empty()) << "page " << page << " shows no picture";
            }
            if (image.bmpfile.empty()) continue;
            ++pictures;
            BmpLayout layout = ExpectPicture(image.bmpfile);
            EXPECT_EQ(layout.width, image.rect.Width()) << image.bmpfile << " on page " << page;
            EXPECT_EQ(layout.height, image.rect.Height()) << image.bmpfile << " on page " << page;
        }
    }
    EXPECT_GT(pictures, 0) << "the default skin has header pictures";
}

TEST_F(DefaultSkin, SysiconNamesAStripOfSixteenPixelFrames)
{
    std::string sysicon;
    for (char c : skin_.sysicon)
        if (c != ' ') sysicon += c;
    std::size_t colon = sysicon.find(':');
    ASSERT_NE(colon, std::string::npos) << "sysicon=" << skin_.sysicon;
    int frames = ParseInt(sysicon.substr(colon + 1), 0);
    EXPECT_GT(frames, 0);
    BmpLayout strip = ExpectPicture(sysicon.substr(0, colon));
    EXPECT_EQ(strip.width, 16 * frames);
    EXPECT_EQ(strip.height, 16);
}

}  // namespace
