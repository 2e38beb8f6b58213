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
}  // namespace zelt
