#pragma once

#include <windows.h>

namespace zelt {

class UnkeyHotkey;

namespace win32 {

// "Unkey hotkey...": zelt.rc's modal dialog with the standard hot-key control, OK and Cancel. OK
// stores and registers the combination in the control (an empty control is no hotkey) and closes
// the dialog; a combination the system refuses is said on the dialog's own line, which stays open
// for another choice.
class HotkeyDialog {
  public:
    // Returns once the dialog is closed, or could not be shown. Never fails.
    static void show(HWND owner, UnkeyHotkey& hotkey) noexcept;

  private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static void chosen(HWND dialog, UnkeyHotkey& hotkey);
};

}  // namespace win32
}  // namespace zelt
