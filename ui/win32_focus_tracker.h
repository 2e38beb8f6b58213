#pragma once

#include <windows.h>

#include <functional>

namespace zelt::win32 {

// The keyboard focus among a form's controls, kept as a dialog keeps it: Tab and the access keys move it,
// it comes back to the control that had it when the form is active again, it passes on from a control
// disabled under it, and leaving a watched control for another of the form's is told apart from the focus
// leaving the program. Not the dialog manager (DefDlgProcW): it cannot tell those apart, and Enter does
// not press a push button that took the focus other than through it (the one focused at start).
class FocusTracker {
  public:
    // Posted to the form when the focus moved in a way to be looked at once the move is over.
    static constexpr UINT kRecheckMessage = WM_APP + 1;

    explicit FocusTracker(HWND form) : form_(form) {}

    // onLeft runs when the operator leaves control for another control of the form.
    void watchLeaving(HWND control, std::function<void()> onLeft);
    void watchedLostFocus();
    // Enables or disables one of the form's controls; a control that had the focus hands it on.
    void enable(HWND control, bool enabled);

    void recheck() noexcept;
    // WM_NEXTDLGCTL, as IsDialogMessage sends it for Tab and a label's access key.
    void moveTo(WPARAM wParam, LPARAM lParam);
    // WM_ACTIVATE: going inactive, the control with the focus is remembered; active again, it takes
    // the focus back. False where the form's default procedure is to follow: going inactive, or
    // activated while minimized, where no control can take the focus.
    bool activated(WPARAM wParam);
    // The form got the focus itself: the control remembered takes it back.
    void restore();
    // Enter, as IsDialogMessage reports it (IDOK): presses the push button that has the focus.
    void pressFocusedButton();

  private:
    void recheckLater();

    HWND form_;
    HWND watched_ = nullptr;
    std::function<void()> onLeft_;
    HWND lastFocus_ = nullptr;
    bool leavePending_ = false;
    bool recheckPosted_ = false;
};

}  // namespace zelt::win32
