#pragma once

#include <windows.h>

#include "ui/global_hotkey.h"

namespace zelt::win32 {

// The hotkey as RegisterHotKey for MainForm's window: each press brings the window a WM_HOTKEY
// whose wParam is kId, which the window hands to the form. Unregistered when it goes.
class GlobalHotkey final : public zelt::GlobalHotkey {
  public:
    static constexpr int kId = 0x554B;  // "UK"

    explicit GlobalHotkey(HWND window) : window_(window) {}
    ~GlobalHotkey() override { unregisterKey(); }
    GlobalHotkey(const GlobalHotkey&) = delete;
    GlobalHotkey& operator=(const GlobalHotkey&) = delete;

    void registerKey(HotkeyRegistration key) override;
    void unregisterKey() noexcept override;

  private:
    HWND window_;
    bool registered_ = false;
};

}  // namespace zelt::win32
