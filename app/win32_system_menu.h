#pragma once

#include <windows.h>

#include <cstddef>

namespace zelt {

class MainForm;
class UnkeyHotkey;

namespace win32 {

// MainForm's extras in its window's system menu (Alt+Space): "Transmit", "Sound on transmit
// change", "Unkey hotkey...", the "Transmit time limit" choices, "Event log..." and "About
// zelt...", below the system's own items. The window hands this class the menu's messages; what
// each item does is MainForm's (the hotkey's dialog sets UnkeyHotkey).
class SystemMenu {
  public:
    // Item ids: below 0xF000 and with the low four bits clear, as the system menu requires.
    static constexpr UINT kTransmit = 0x1010;
    static constexpr UINT kEventLog = 0x1020;
    static constexpr UINT kAbout = 0x1030;
    static constexpr UINT kSound = 0x1040;
    static constexpr UINT kUnkeyHotkey = 0x1050;
    static constexpr UINT kFirstLimit = 0x1100;  // the limit choices follow, kLimitStep apart
    static constexpr UINT kLimitStep = 0x10;

    SystemMenu(HWND window, MainForm& form, UnkeyHotkey& hotkey);
    SystemMenu(const SystemMenu&) = delete;
    SystemMenu& operator=(const SystemMenu&) = delete;

    // WM_INITMENUPOPUP: the check marks follow the form's state as the menu opens.
    void opening() noexcept;
    // An item chosen, by WM_SYSCOMMAND or, from the submenu, WM_COMMAND. True when it was one of
    // these items.
    bool command(WPARAM id) noexcept;

  private:
    void showLimits();
    static UINT limitId(std::size_t index) { return kFirstLimit + static_cast<UINT>(index) * kLimitStep; }

    HWND window_;
    MainForm& form_;
    UnkeyHotkey& hotkey_;
    HMENU menu_ = nullptr;
    HMENU limits_ = nullptr;
};

}  // namespace win32
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
