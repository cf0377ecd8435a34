// The update page: a progress bar, a status line and a log box while the
// installation runs, and a button that stays disabled until the run may end
// (then "完成(&O)"). The frame cannot be closed while it is shown. In a preview
// run it shows an animation instead of installing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "install/update_worker.h"
#include "ui/page_worker.h"
#include "ui/preview_animation.h"
#include "ui/queued_install_view.h"
#include "ui/skin_label.h"
#include "ui/tinted_edit.h"
#include "ui/wizard_page.h"

namespace quibo {

class UpdatePage : public WizardPage {
public:
    explicit UpdatePage(WizardState& state);

    // An installation is never stopped half way: the page waits for it.
    void StopWork() override;

    // Writes the text to the run log, shows it in the status line and adds it
    // to the log box. UI thread.
    void SetStatus(const std::string& text);

    // To the page: the installation has ended (its outcome is in outcome_).
    static constexpr UINT kPageInstallEnded = WM_APP + 23;

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog() override;

private:
    void StartUpdate();
    void OnPreviewStep(WPARAM step);
    void OnInstallEnded();
    void ApplyReports();
    void ShowStatus(const std::string& text);  // shown only, the text is logged
    void ShowStatuses(const std::vector<std::string>& texts);
    void FinishUpdate(bool success);
    void RunInstalledPrograms();
    void RunAfterUpdateHook();
    void ShowEndBox(const std::string& text);

    CTintedEdit logBox_;
    CSkinLabel status_;
    PreviewAnimation preview_;
    PageWorker install_;
    std::unique_ptr<QueuedInstallView> view_;
    InstallOutcome outcome_;  // written by the installation, read once it has ended
    std::atomic<bool> neverPaused_{false};
    bool succeeded_ = false;
    bool endHandled_ = false;
};

}  // namespace quibo
