#include "ui/win32_focus_tracker.h"

#include <utility>

namespace zelt::win32 {

void FocusTracker::watchLeaving(HWND control, std::function<void()> onLeft) {
    watched_ = control;
    onLeft_ = std::move(onLeft);
}

void FocusTracker::watchedLostFocus() {
    // Whether the operator left the control for another, or the focus only left the program (another
    // application, a message box, the window closing), is known once the move is over. Posted messages
    // come before the input that follows, so a click that took the focus still sees the leaving first.
    leavePending_ = true;
    recheckLater();
}

void FocusTracker::enable(HWND control, bool enabled) {
    if (control == nullptr || (IsWindowEnabled(control) != FALSE) == enabled) return;
    const bool hadFocus = GetFocus() == control;
    EnableWindow(control, enabled ? TRUE : FALSE);
    // A disabled control drops the focus: it passes to the next once the disabling reaction is over.
    if (hadFocus) recheckLater();
}

void FocusTracker::recheckLater() {
    if (recheckPosted_) return;
    recheckPosted_ = PostMessageW(form_, kRecheckMessage, 0, 0) != FALSE;
}

void FocusTracker::recheck() noexcept {
    recheckPosted_ = false;
    if (GetFocus() == nullptr && GetActiveWindow() == form_) {
        HWND next = GetNextDlgTabItem(form_, nullptr, FALSE);
        if (next != nullptr) SetFocus(next);
    }
    if (!leavePending_) return;
    leavePending_ = false;
    HWND focus = GetFocus();
    // Only a move to another of the form's controls leaves it; the focus comes back when zelt is active.
    if (focus == nullptr || focus == watched_ || !IsChild(form_, focus) || !onLeft_) return;
    try {
        onLeft_();
    } catch (...) {
        // As for any reaction: its failure ends it.
    }
}

void FocusTracker::moveTo(WPARAM wParam, LPARAM lParam) {
    HWND target = nullptr;
    if (LOWORD(lParam) != 0) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        HWND focus = GetFocus();
        if (focus != nullptr && !IsChild(form_, focus)) focus = nullptr;
        target = GetNextDlgTabItem(form_, focus, wParam != 0 ? TRUE : FALSE);
    }
    if (target == nullptr) return;
    SetFocus(target);
    // As in a dialog, an edit reached from the keyboard has all its text selected.
    if ((SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
        SendMessageW(target, EM_SETSEL, 0, -1);
    }
}

bool FocusTracker::activated(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(form_, focus)) lastFocus_ = focus;
        return false;
    }
    if (HIWORD(wParam) != 0) return false;
    restore();
    return true;
}

void FocusTracker::restore() {
    HWND target = lastFocus_;
    if (target == nullptr || !IsWindow(target) || !IsWindowEnabled(target) || !IsChild(form_, target)) {
        target = GetNextDlgTabItem(form_, nullptr, FALSE);
    }
    if (target != nullptr) SetFocus(target);
}

void FocusTracker::pressFocusedButton() {
    HWND focus = GetFocus();
    const auto code =
        focus != nullptr && IsChild(form_, focus) ? SendMessageW(focus, WM_GETDLGCODE, 0, 0) : 0;
    if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) SendMessageW(focus, BM_CLICK, 0, 0);
}

}  // namespace zelt::win32
