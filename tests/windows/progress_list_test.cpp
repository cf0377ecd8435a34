// The progress list as the pages use it: progress cells drawn by the list's
// own painting, check-box cells toggled by a click and reported to the page,
// row records freed with their rows, and calls out of range refused.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "skin_canvas.h"
#include "ui/progress_list.h"

using namespace quibo;
using namespace skintest;

namespace {

class ListPage {
public:
    ListPage()
    {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&init);
        window = page.Child(WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL, RECT{0, 0, 300, 200});
        for (int column = 0; column < 2; ++column) {
            LVCOLUMNA info = {};
            info.mask = LVCF_WIDTH | LVCF_TEXT;
            info.cx = 150;
            info.pszText = const_cast<char*>(column == 0 ? "文件" : "进度");
            ::SendMessageA(window, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&info));
        }
        page.list = &list;
        list.Attach(window);
    }

    RECT CellRect(int row, int column) const
    {
        RECT box = {};
        box.top = column;
        box.left = LVIR_BOUNDS;
        ::SendMessageA(window, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&box));
        return box;
    }
    void Render(Canvas& canvas) const
    {
        ::SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()),
                       PRF_CLIENT | PRF_ERASEBKGND);
    }
    void Click(int row, int column)
    {
        const RECT box = CellRect(row, column);
        NMITEMACTIVATE click = {};
        click.hdr.hwndFrom = window;
        click.hdr.code = NM_CLICK;
        click.iItem = row;
        click.iSubItem = column;
        click.ptAction = POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
        ::SendMessageA(page.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    }

    TestPage page;
    CProgressListCtrl list;
    HWND window = nullptr;
};

}  // namespace

TEST(ProgressList, ProgressCellShowsAFrameAtZeroAndAFullBarWithTextAtHundred)
{
    ListPage page;
    page.list.SetRowHeight(24);
    ASSERT_EQ(page.list.InsertItem(0, "a.zip"), 0);
    ASSERT_EQ(page.list.InsertItem(1, "b.zip"), 1);
    ASSERT_TRUE(page.list.MakeProgressCell(0, 1, true));
    ASSERT_TRUE(page.list.MakeProgressCell(1, 1, true));
    ASSERT_TRUE(page.list.SetProgressValue(1, 1, 100));
    Canvas canvas(300, 200);
    page.Render(canvas);
    const COLORREF fill = ::GetSysColor(COLOR_HIGHLIGHT), fillText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);

    const RECT zero = page.CellRect(0, 1);
    const RECT bar0 = {zero.left + 1, zero.top + 5, zero.right, zero.bottom - 1};
    EXPECT_EQ(canvas.Pixel(bar0.left, bar0.top), RGB(0, 0, 0));  // frame: black top-left
    EXPECT_EQ(canvas.Pixel(bar0.right - 1, bar0.bottom - 1), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.Pixel((bar0.left + bar0.right) / 2, (bar0.top + bar0.bottom) / 2), RGB(224, 224, 224));
    EXPECT_EQ(canvas.Count(fill, zero), 0);
    EXPECT_EQ(
        canvas.Count(RGB(224, 224, 224), RECT{bar0.left + 1, bar0.top + 1, bar0.right - 1, bar0.bottom - 1}),
        (bar0.right - bar0.left - 2) * (bar0.bottom - bar0.top - 2));  // no text at 0

    const RECT full = page.CellRect(1, 1);
    const RECT bar1 = {full.left + 1, full.top + 5, full.right, full.bottom - 1};
    EXPECT_EQ(canvas.Pixel(bar1.left + 2, bar1.top + 2), fill);
    EXPECT_EQ(canvas.Pixel(bar1.right - 3, bar1.bottom - 3), fill);
    EXPECT_GT(canvas.Count(fillText, bar1), 0);  // "100%" over the fill
    const RECT inside1 = {bar1.left + 1, bar1.top + 1, bar1.right - 1, bar1.bottom - 1};
    EXPECT_EQ(canvas.Count(::GetSysColor(COLOR_WINDOWTEXT), inside1), 0);  // no text in the cell's own colour
    EXPECT_EQ(canvas.Count(RGB(224, 224, 224), inside1), 0);
}

TEST(ProgressList, ClickingACheckBoxCellTogglesItAndTellsThePage)
{
    ListPage page;
    page.list.InsertItem(0, "a.zip");
    page.list.InsertItem(1, "b.zip");
    ASSERT_TRUE(page.list.SetCellCheck(1, 1, 0));

    page.Click(1, 1);
    ASSERT_NE(page.list.Cell(1, 1), nullptr);
    EXPECT_EQ(page.list.Cell(1, 1)->check, 1);
    EXPECT_TRUE(page.list.Cell(1, 1)->modified);
    page.Click(1, 1);
    EXPECT_EQ(page.list.Cell(1, 1)->check, 0);
    page.Click(0, 1);  // no check box there
    page.Click(1, 0);
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {{1, 1}, {1, 1}};
    EXPECT_EQ(page.page.checkClicks, expected);
    EXPECT_EQ(page.list.Cell(0, 1)->check, -1);
}

TEST(ProgressList, RowRecordsGoWithTheirRowsAndTheRowHeightImagesStayOwned)
{
    ListPage page;
    page.list.SetRowHeight(18);
    page.list.SetRowHeight(22);
    for (int i = 0; i < 600; ++i) {
        page.list.InsertItem(0, "x");
        page.list.InsertItem(1, "y");
        page.list.MakeProgressCell(1, 1, true);
        ::SendMessageA(page.window, LVM_DELETEITEM, 0, 0);
        if (i % 100 == 99) ::SendMessageA(page.window, LVM_DELETEALLITEMS, 0, 0);
    }
    EXPECT_EQ(page.list.RecordCount(), static_cast<size_t>(page.list.RowCount()));
    ::SendMessageA(page.window, LVM_DELETEALLITEMS, 0, 0);
    EXPECT_EQ(page.list.RecordCount(), 0u);

    for (int i = 0; i < 10; ++i) page.list.InsertItem(i, "z");
    HIMAGELIST rows =
        reinterpret_cast<HIMAGELIST>(::SendMessageA(page.window, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(rows, nullptr);
    ::DestroyWindow(page.window);
    EXPECT_EQ(page.list.RecordCount(), 0u);
    EXPECT_EQ(page.list.Window(), nullptr);
    int width = 0, height = 0;
    EXPECT_TRUE(::ImageList_GetIconSize(rows, &width, &height));  // the list did not destroy it
    EXPECT_EQ(height, 22);
}

TEST(ProgressList, CallsOutOfRangeChangeNothing)
{
    ListPage page;
    ASSERT_EQ(page.list.InsertItem(0, "a.zip"), 0);
    ASSERT_TRUE(page.list.MakeProgressCell(0, 1, false));
    ASSERT_TRUE(page.list.SetProgressValue(0, 1, 40));
    EXPECT_EQ(page.list.InsertItem(-1, "x"), -1);
    const std::pair<int, int> outside[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 2}, {100000, 1}};
    for (const auto& cell : outside) {
        EXPECT_FALSE(page.list.SetItemText(cell.first, cell.second, "x")) << cell.first << "," << cell.second;
        EXPECT_FALSE(page.list.MakeProgressCell(cell.first, cell.second, true));
        EXPECT_FALSE(page.list.SetProgressValue(cell.first, cell.second, 50));
        EXPECT_FALSE(page.list.SetCellCheck(cell.first, cell.second, 1));
        EXPECT_EQ(page.list.Cell(cell.first, cell.second), nullptr);
    }
    for (int value : {-1, 101, 1000}) EXPECT_FALSE(page.list.SetProgressValue(0, 1, value)) << value;
    EXPECT_FALSE(page.list.SetCellCheck(0, 1, 2));
    EXPECT_EQ(page.list.Cell(0, 1)->progressValue, 40);
    EXPECT_EQ(page.list.Cell(0, 1)->check, -1);
    EXPECT_EQ(page.list.RowCount(), 1);
}
