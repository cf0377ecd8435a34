// The run's boxes as a person meets them: caption, framed text, the buttons,
// and no box at all in a silent run.
#include <windows.h>

#include <gtest/gtest.h>

#include "win/message_boxes.h"
#include "box_watcher.h"

using namespace quibo;

TEST(MessageBoxes, InfoBoxIsFramedAndCaptionedUnlessSilent)
{
    for (ShowType showType : {ShowType::Normal, ShowType::SemiSilent, ShowType::Silent}) {
        BoxWatcher watcher(IDOK);
        ShowInfoBox("下载文件失败！", nullptr, showType);
        ::Sleep(100);
        std::vector<SeenBox> boxes = watcher.Boxes();
        if (showType == ShowType::Silent) {
            EXPECT_TRUE(boxes.empty());
            continue;
        }
        ASSERT_EQ(boxes.size(), 1u) << static_cast<int>(showType);
        EXPECT_EQ(boxes[0].caption, "信息提示");
        EXPECT_EQ(boxes[0].text, "\n下载文件失败！\n");
    }
}

TEST(MessageBoxes, RetryBoxAnswersTheButtonPressed)
{
    {
        BoxWatcher watcher(IDRETRY);
        EXPECT_TRUE(ShowRetryBox("重试？", nullptr, ShowType::Normal));
        ASSERT_EQ(watcher.Boxes().size(), 1u);
        EXPECT_EQ(watcher.Boxes()[0].caption, "信息提示");
    }
    {
        BoxWatcher watcher(IDCANCEL);
        EXPECT_FALSE(ShowRetryBox("重试？", nullptr, ShowType::SemiSilent));
    }
    BoxWatcher watcher(IDRETRY);
    EXPECT_FALSE(ShowRetryBox("重试？", nullptr, ShowType::Silent));  // silent: no box, no retry
    ::Sleep(100);
    EXPECT_TRUE(watcher.Boxes().empty());
}
