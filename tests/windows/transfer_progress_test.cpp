// What a transfer shows and what the host hears while bytes come in.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "download/progress_report.h"
#include "recording_view.h"

using namespace quibo;

namespace {

struct Posted {
    UINT id;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Posted& o) const { return id == o.id && wParam == o.wParam && lParam == o.lParam; }
};

std::vector<Posted> Take(HostWindow& host)
{
    std::vector<Posted> out;
    for (const auto& m : host.Take()) out.push_back({m.id, m.wParam, m.lParam});
    return out;
}

}  // namespace

TEST(ReportProgress, HostHearsEachWholePercentOnce)
{
    HostWindow host;
    TransferControl control;
    control.hostWindow = host.Handle();
    RecordingView view;

    // 40 and 41 bytes of 4096 straddle the first whole percent.
    const std::pair<unsigned, std::vector<Posted>> steps[] = {
        {0, {{2021, 100, 0}, {2020, 4096, 0}}},
        {40, {}},
        {41, {{2021, 100, 1}, {2020, 4096, 41}}},
        {2048, {{2021, 100, 50}, {2020, 4096, 2048}}},
        {2049, {}},
        {4096, {{2021, 100, 100}, {2020, 4096, 4096}}},
    };
    for (const auto& [done, expected] : steps) {
        ReportProgress(control, view, done, 4096, "12.5KB/s", 0);
        EXPECT_EQ(Take(host), expected) << done << " bytes";
    }
    EXPECT_EQ(view.fileProgress, (std::vector<int>{0, 0, 1, 50, 50, 100}));
    EXPECT_EQ(view.rowProgress[0], view.fileProgress);
    EXPECT_EQ(view.rowSpeed[0].back(), "12.5KB/s");
    EXPECT_EQ(view.infoTexts.back(), "4.0KB(12.5KB/s)");
    EXPECT_EQ(view.trayTexts[3], "\n下载文件(4.0KB)：50% 12.5KB/s");
}

TEST(ReportProgress, EmptyFileShowsComplete)
{
    HostWindow host;
    TransferControl control;
    control.hostWindow = host.Handle();
    RecordingView view;
    ReportProgress(control, view, 0, 0, "", 0);
    EXPECT_EQ(Take(host), (std::vector<Posted>{{2021, 100, 100}, {2020, 0, 0}}));
    EXPECT_EQ(view.LastFileProgress(), 100);
    EXPECT_EQ(view.infoTexts.back(), "0.0KB()");
}

TEST(ReportProgress, FolderRowKeepsItsNameAndCell)
{
    TransferControl control;  // no host window: nothing is posted
    RecordingView view({"<pub>"});
    AppendSizeSuffix(view, 0, 5000);
    ReportProgress(control, view, 2500, 5000, "1.0KB/s", 0);
    EXPECT_EQ(view.RowName(0), "<pub>");
    EXPECT_TRUE(view.rowProgress.empty());
    EXPECT_EQ(view.LastFileProgress(), 50);
    EXPECT_EQ(view.rowSpeed[0].back(), "1.0KB/s");

    RecordingView files({"setup.exe"});
    AppendSizeSuffix(files, 0, 3 * 1048576 + 104858);
    EXPECT_EQ(files.RowName(0), "setup.exe(3.1MB)");
}
