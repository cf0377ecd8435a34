// The download page: the list of items with per-row progress and speed, a
// bar for the current file and one for all items, a status line, a log box,
// Pause / Continue / Next and Cancel. It starts one activity when it opens
// (the preview animation, the download, or the download of the updater's own
// files) and, when that ends, tells the host of a failure, runs the
// after-download program and hands back to the frame.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "download/download_session.h"
#include "download/download_worker.h"
#include "download/transfer_control.h"
#include "ui/page_worker.h"
#include "ui/preview_animation.h"
#include "ui/queued_download_view.h"
#include "ui/progress_list.h"
#include "ui/skin_label.h"
#include "ui/tinted_edit.h"
#include "ui/wizard_page.h"

namespace quibo {

class DownloadPage : public WizardPage {
public:
    explicit DownloadPage(WizardState& state);

    void StopWork() override;

    // Writes the text to the run log, shows it in the status line and adds it
    // to the log box. UI thread.
    void SetStatus(const std::string& text);
    // The same without the log line (the worker has written it).
    void ShowStatus(const std::string& text);
    void ShowStatuses(const std::vector<std::string>& texts);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog() override;

private:
    void ApplyControlSkin();
    void StartPreview();
    void StartDownload();
    void StartSelfUpdateDownload();
    bool AddItemRows();
    void StartWorker(std::function<DownloadEnd()> work);
    void OnWorkerEnded(DownloadEnd end);
    void ApplyReports();
    void Apply(const DownloadReport& report);
    void OnPreviewStep(WPARAM step);
    void OnPauseButton();
    void OnCancel();
    void OnWorkEnded(bool success);
    void RunAfterDownloadHook(bool success);

    CProgressListCtrl list_;
    CTintedEdit logBox_;
    CSkinLabel status_;
    CSkinLabel info_;
    PreviewAnimation preview_;
    TransferControl control_;
    DownloadSession session_;  // its Abort ends a call that waits on the server
    std::unique_ptr<QueuedDownloadView> view_;
    PageWorker worker_;
    std::atomic<bool> paused_{false};
    bool finished_ = false;    // everything is downloaded: the Pause button means Next
    bool userCancel_ = false;  // the user confirmed Cancel
    bool endHandled_ = false;  // the end handler runs once
    int previewRow_ = -1;
    UINT checkboxMessage_ = 0;
};

}  // namespace quibo
