// The two pages that carry no work: the start page, which lists what is
// about to be updated, and the download-finished page, which asks the user
// to close the product. Both go on with Next and ask before they cancel.
#pragma once

#include "ui/progress_list.h"
#include "ui/wizard_page.h"
#include "win/host_messages.h"

namespace quibo {

class InfoPage : public WizardPage {
public:
    struct CancelReport {
        HostCode hostCode;    // told to the host when the user cancels
        const char* logLine;  // and written to the run log
    };

    InfoPage(WizardState& state, PageIndex index, int templateId, CancelReport cancel);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog() override;
    // The second stage of the start, posted to itself.
    virtual void OnStart() = 0;
    // The start page's own controls; nothing on the download-finished page.
    virtual void ApplyControlSkin() {}

private:
    void OnCancel();

    CancelReport cancel_;
};

class StartPage : public InfoPage {
public:
    explicit StartPage(WizardState& state);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ApplyControlSkin() override;
    void OnStart() override;  // fills the list

private:
    CProgressListCtrl list_;
};

class FinishedPage : public InfoPage {
public:
    explicit FinishedPage(WizardState& state);

protected:
    void OnStart() override;  // moves on when nobody can see it; brings a minimised wizard back
};

}  // namespace quibo
