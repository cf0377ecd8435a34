// The base of the wizard's four pages: a child dialog of the frame, skinned
// from its page's section of the skin, that ends by telling the frame it is
// done. Each page owns its labels, pictures and (on the work pages) its worker.
//
// Lifetime: the frame creates a page, and destroys it only on the page's own
// done message, only after every handler of the page has returned (a box in a
// handler pumps messages, so the done message may arrive while one still
// runs: it is then deferred and sent again when the handler returns), and
// only after StopWork has stopped and waited for the page's worker.
#pragma once

#include <windows.h>

#include <array>
#include <cassert>
#include <string>
#include <vector>

#include "ui/skin_label.h"
#include "ui/tinted_edit.h"
#include "ui/wizard_messages.h"
#include "ui/wizard_state.h"
#include "win/gdi_objects.h"
#include "win/thread_checker.h"

namespace quibo {

class WizardPage {
public:
    WizardPage(WizardState& state, PageIndex index, int templateId);
    virtual ~WizardPage();
    WizardPage(const WizardPage&) = delete;
    WizardPage& operator=(const WizardPage&) = delete;

    // Creates the page as a child of `frame`, hidden; false when it cannot be made.
    bool Create(HWND frame);
    HWND Window() const { return window_; }
    PageIndex Index() const { return index_; }

    // True while one of the page's handlers runs.
    bool InHandler() const { return handlerDepth_ > 0; }
    // The frame got the page's done message while a handler still ran.
    void DeferDone(WPARAM stop);
    // Stops the page's worker and waits for it, dispatching messages.
    virtual void StopWork() {}

protected:
    // Everything a page does not handle itself goes to the base handling:
    // background, skinned labels, the list's and the log box's colours.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnInitDialog() = 0;

    // Tells the frame the page is done, once: a second Next or a late end is ignored.
    void Finish(bool stop);
    bool Finishing() const { return finishing_; }

    // The steps every page takes with its skin: labels shown or hidden, made
    // transparent and skinned; the two pictures loaded.
    void ApplyPageSkin();
    // A button's text and rectangle from the skin.
    void ApplyButtonSkin(int id, const ButtonSkin& skin, bool keepTemplateWhenEmpty);
    void ShowControl(int id, int show) const;
    void MoveControl(int id, const SkinRect& rect) const;
    HWND Control(int id) const
    {
        assert(OnPageThread());
        return ::GetDlgItem(window_, id);
    }
    void SetControlText(int id, const std::string& text) const;
    int ControlHeight(int id) const;
    // The work pages' status lines: the last text shows in `status`, all are
    // added to `logBox`, which keeps its newest line in view.
    void ShowStatusLines(CSkinLabel& status, CTintedEdit& logBox, const std::vector<std::string>& texts) const;

    // The question of every Cancel button; true when the user said Yes.
    bool AskCancel() const;
    // The frame (the page's parent) is on the screen.
    bool FrameVisible() const;

    static INT_PTR Answer(HWND window, LRESULT result);
    // A page, its controls and its labels belong to the thread that made it.
    bool OnPageThread() const { return thread_.CalledOnValidThread(); }

    WizardState& state_;
    const UiSkin& skin_;
    const PageIndex index_;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintBackground(HDC dc) const;
    void SendDeferredDone();

    const int templateId_;
    ThreadChecker thread_;
    HWND window_ = nullptr;
    int handlerDepth_ = 0;
    bool finishing_ = false;
    bool doneDeferred_ = false;
    WPARAM deferredStop_ = 0;
    std::array<CSkinLabel, 4> labels_;
    std::array<UniqueBitmap, 2> pictures_;
};

// Pixels of a log box per line it shows.
constexpr int kLogLineHeight = 20;

// The label ids in the order of the skin's static0 to static3.
constexpr std::array<int, 4> kPageLabelIds = {1005, 1013, 1014, 1006};

}  // namespace quibo
