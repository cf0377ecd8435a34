// The download page's view for its worker. Every call arrives on the worker
// thread and is only queued; the page applies the queue on its own thread
// when the notification message arrives (the thread rule of page_worker.h).
// The one question a transfer asks, whether a row is a folder's, is answered
// from the row kinds fixed before the worker starts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/log/run_log.h"
#include "download/download_view.h"
#include "ui/report_queue.h"

namespace quibo {

// To the download page: reports are waiting in its queue.
constexpr UINT kPageReports = WM_APP + 21;

struct DownloadReport {
    enum class Kind {
        FileProgress,
        FileRange,
        TotalRange,
        TotalProgress,
        RowNameSuffix,
        RowProgress,
        RowSpeed,
        ItemDone,
        InfoText,
        TrayText,  // the tip after the window title
        TrayTip,   // the whole tip
        Status,    // shown only: the worker has logged it
        InfoBox,
    };
    Kind kind;
    int row = -1;
    int value = 0;
    std::string text;
};

class QueuedDownloadView : public DownloadView {
public:
    // `folderRows[i]` says whether row i shows a folder item.
    QueuedDownloadView(HWND page, std::vector<bool> folderRows) : page_(page), folderRows_(std::move(folderRows)) {}

    std::vector<DownloadReport> TakeAll() { return queue_.TakeAll(); }

    void SetFileProgress(int percent) override { Push({DownloadReport::Kind::FileProgress, -1, percent, {}}); }
    bool IsFolderRow(int row) override
    {
        return row >= 0 && row < static_cast<int>(folderRows_.size()) && folderRows_[row];
    }
    void AppendToRowName(int row, const std::string& text) override
    {
        Push({DownloadReport::Kind::RowNameSuffix, row, 0, text});
    }
    void SetRowProgress(int row, int percent) override { Push({DownloadReport::Kind::RowProgress, row, percent, {}}); }
    void SetRowSpeed(int row, const std::string& speedText) override
    {
        Push({DownloadReport::Kind::RowSpeed, row, 0, speedText});
    }
    void SetInfoText(const std::string& text) override { Push({DownloadReport::Kind::InfoText, -1, 0, text}); }
    void SetTrayText(const std::string& text) override { Push({DownloadReport::Kind::TrayText, -1, 0, text}); }
    // The log line is written at once, so it keeps its place among the
    // worker's own lines; only the showing waits for the page.
    void SetStatus(const std::string& text) override
    {
        WriteLog(text);
        Push({DownloadReport::Kind::Status, -1, 0, text});
    }
    void SetTotalRange(int maximum) override { Push({DownloadReport::Kind::TotalRange, -1, maximum, {}}); }
    void SetTotalProgress(int value) override { Push({DownloadReport::Kind::TotalProgress, -1, value, {}}); }
    void SetFileRange(int maximum) override { Push({DownloadReport::Kind::FileRange, -1, maximum, {}}); }
    void ItemDone(int row) override { Push({DownloadReport::Kind::ItemDone, row, 0, {}}); }
    void SetTrayTip(const std::string& text) override { Push({DownloadReport::Kind::TrayTip, -1, 0, text}); }
    void ShowInfo(const std::string& text) override { Push({DownloadReport::Kind::InfoBox, -1, 0, text}); }

private:
    void Push(DownloadReport report)
    {
        if (queue_.Push(std::move(report))) ::PostMessageA(page_, kPageReports, 0, 0);
    }

    HWND page_;
    const std::vector<bool> folderRows_;
    ReportQueue<DownloadReport> queue_;
};

}  // namespace quibo
