#include "ui/wizard_page.h"

#include <cassert>

#include "ui/package_bitmap.h"
#include "ui/page_background.h"
#include "ui/skin_geometry.h"
#include "win/message_boxes.h"

namespace quibo {

WizardPage::WizardPage(WizardState& state, PageIndex index, int templateId)
    : state_(state), skin_(state.skin), index_(index), templateId_(templateId)
{
}

WizardPage::~WizardPage()
{
    // The frame destroys the window first; this covers a page given up half made.
    if (window_) ::DestroyWindow(window_);
}

bool WizardPage::Create(HWND frame)
{
    assert(OnPageThread());
    HWND made = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), frame,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
    return made != nullptr && window_ == made;
}

INT_PTR CALLBACK WizardPage::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WizardPage* page = nullptr;
    if (message == WM_INITDIALOG) {
        page = reinterpret_cast<WizardPage*>(lParam);
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        page->window_ = window;
    } else {
        page = reinterpret_cast<WizardPage*>(::GetWindowLongPtrA(window, DWLP_USER));
    }
    if (!page) return FALSE;
    assert(page->OnPageThread());

    ++page->handlerDepth_;
    INT_PTR result = page->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, DWLP_USER, 0);
        page->window_ = nullptr;
    }
    if (--page->handlerDepth_ == 0 && page->doneDeferred_) page->SendDeferredDone();
    return result;
}

INT_PTR WizardPage::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return TRUE;
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return Answer(window_, TRUE);
    case WM_COMMAND:
        // Enter and Escape reach a page as IDOK and IDCANCEL; a page that has
        // no use for them must not let the dialog manager end it.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) return TRUE;
        return FALSE;
    case WM_CLOSE:
        return TRUE;  // the pages with a Cancel button handle it themselves
    default:
        return FALSE;
    }
}

INT_PTR WizardPage::Answer(HWND window, LRESULT result)
{
    ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

void WizardPage::Finish(bool stop)
{
    assert(OnPageThread());
    if (finishing_) return;
    finishing_ = true;
    ::PostMessageA(::GetParent(window_), kPageDone, stop ? 1 : 0, reinterpret_cast<LPARAM>(window_));
}

void WizardPage::DeferDone(WPARAM stop)
{
    assert(OnPageThread());
    doneDeferred_ = true;
    deferredStop_ = stop;
}

void WizardPage::SendDeferredDone()
{
    doneDeferred_ = false;
    ::PostMessageA(::GetParent(window_), kPageDone, deferredStop_, reinterpret_cast<LPARAM>(window_));
}

void WizardPage::PaintBackground(HDC dc) const
{
    RECT client = {};
    ::GetClientRect(window_, &client);
    int page = ToInt(index_);
    PaintPageBackground(dc, client, skin_.windows[page], skin_.images[page], pictures_[0].Get(),
                        pictures_[1].Get());
}

void WizardPage::ApplyPageSkin()
{
    int page = ToInt(index_);
    for (size_t i = 0; i < labels_.size(); ++i) {
        labels_[i].Attach(Control(kPageLabelIds[i]));
        ShowControl(kPageLabelIds[i], skin_.statics[page][i].show);
        labels_[i].MakeTransparent(true);
    }
    for (size_t i = 0; i < pictures_.size(); ++i) {
        const std::string& member = skin_.images[page][i].bmpfile;
        if (!member.empty()) pictures_[i] = LoadPackageBitmap(window_, state_.packagePath, member);
    }
    for (size_t i = 0; i < labels_.size(); ++i) ApplyStaticSkin(labels_[i], skin_.statics[page][i]);
}

void WizardPage::ApplyButtonSkin(int id, const ButtonSkin& skin, bool keepTemplateWhenEmpty)
{
    if (keepTemplateWhenEmpty && skin.rect.Empty()) return;
    SetControlText(id, skin.text);
    MoveControl(id, skin.rect);
}

void WizardPage::ShowControl(int id, int show) const
{
    ::ShowWindow(Control(id), show != 0 ? SW_SHOW : SW_HIDE);
}

void WizardPage::MoveControl(int id, const SkinRect& rect) const
{
    WindowPlace place = PlaceFor(rect);
    ::MoveWindow(Control(id), place.x, place.y, place.width, place.height, TRUE);
}

void WizardPage::SetControlText(int id, const std::string& text) const
{
    ::SetWindowTextA(Control(id), text.c_str());
}

int WizardPage::ControlHeight(int id) const
{
    RECT bounds = {};
    ::GetClientRect(Control(id), &bounds);
    return bounds.bottom - bounds.top;
}

void WizardPage::ShowStatusLines(CSkinLabel& status, CTintedEdit& logBox,
                                 const std::vector<std::string>& texts) const
{
    assert(OnPageThread());
    if (texts.empty()) return;
    status.ChangeText(texts.back());
    RECT bounds = {};
    ::GetClientRect(logBox.Window(), &bounds);
    logBox.AppendLines(texts, (bounds.bottom - bounds.top) / kLogLineHeight);
}

bool WizardPage::AskCancel() const
{
    return ::MessageBoxA(window_, "你想取消这次升级吗？", kInfoCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool WizardPage::FrameVisible() const
{
    return ::IsWindowVisible(::GetParent(window_)) != FALSE;
}

}  // namespace quibo
