// The update page: a progress bar, a status line and a log box while the
// installation runs, and a button that stays disabled until the run may end
// (then "完成(&O)"). The frame cannot be closed while it is shown. In a preview
// run it shows an animation instead of installing.
#pragma once

#include <string>

#include "ui/preview_animation.h"
#include "ui/skin_label.h"
#include "ui/tinted_edit.h"
#include "ui/wizard_page.h"

namespace quibo {

class UpdatePage : public WizardPage {
public:
    explicit UpdatePage(WizardState& state);

    void StopWork() override { preview_.StopAndWait(); }

    // Writes the text to the run log, shows it in the status line and adds it
    // to the log box. UI thread.
    void SetStatus(const std::string& text);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog() override;

private:
    void StartUpdate();
    void OnPreviewStep(WPARAM step);
    void OnWorkEnded(bool success);

    CTintedEdit logBox_;
    CSkinLabel status_;
    PreviewAnimation preview_;
    std::atomic<bool> neverPaused_{false};
    bool succeeded_ = false;
    bool endHandled_ = false;
};

}  // namespace quibo
