// The update page's view for the installation. Status lines, the tray stage
// and the progress bar are queued and applied by the page on its own thread
// (the thread rule of page_worker.h). The boxes are shown on the
// installation's own thread: the installation waits for their answer, not
// for the page. They have no owner window, so they stay on top.
#pragma once

#include <windows.h>

#include <string>

#include "core/config/show_type.h"
#include "core/log/run_log.h"
#include "install/install_view.h"
#include "ui/report_queue.h"
#include "win/message_boxes.h"

namespace quibo {

// To the update page: reports are waiting in its queue.
constexpr UINT kPageInstallReports = WM_APP + 22;

struct InstallReport {
    enum class Kind { Status, TrayStage, ProgressRange, Progress };
    Kind kind;
    int value = 0;
    std::string text;
};

class QueuedInstallView : public InstallView {
public:
    QueuedInstallView(HWND page, ShowType showType) : page_(page), showType_(showType) {}

    std::vector<InstallReport> TakeAll() { return queue_.TakeAll(); }

    // The log line is written at once, so it keeps its place among the
    // installation's own lines; only the showing waits for the page.
    void SetStatus(const std::string& text) override
    {
        WriteLog(text);
        Push({InstallReport::Kind::Status, 0, text});
    }
    void SetTrayStage(const std::string& stage) override { Push({InstallReport::Kind::TrayStage, 0, stage}); }
    void SetProgressRange(int maximum) override { Push({InstallReport::Kind::ProgressRange, maximum, {}}); }
    void SetProgress(int position) override { Push({InstallReport::Kind::Progress, position, {}}); }
    void ShowInfo(const std::string& text) override { ShowInfoBox(text, nullptr, showType_, MB_TOPMOST); }
    bool AskRetry(const std::string& text) override { return ShowRetryBox(text, nullptr, showType_, MB_TOPMOST); }

private:
    void Push(InstallReport report)
    {
        if (queue_.Push(std::move(report))) ::PostMessageA(page_, kPageInstallReports, 0, 0);
    }

    HWND page_;
    const ShowType showType_;
    ReportQueue<InstallReport> queue_;
};

}  // namespace quibo
