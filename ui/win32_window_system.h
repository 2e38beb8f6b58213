#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/window_system.h"

namespace zelt::win32 {

// MainForm's window as the core sees it, over one HWND. Widths are in twips at the window's dpi and
// always those of the normal (restored) window, also while it is minimized.
class Win32WindowSystem : public WindowSystem {
  public:
    // Installs the host-link procedure on the window and returns the one it replaced.
    using Hook = std::function<std::uintptr_t(HWND)>;

    Win32WindowSystem(HWND window, Hook hook);

    std::uint32_t registerMessage(const std::string& name) override;
    std::uintptr_t hookWindow() override;

    float clientWidth() override;
    float outerWidth() override;
    void setOuterWidth(float twips) override;

    void setMinimized() override;
    void setWindowPos(std::intptr_t insertAfter, std::uint32_t flags) override;

    void destroy() override;

    // Shows the window for the first time: minimized without taking the focus when start-up asked
    // for it, otherwise as the program was launched.
    void showFirst(int showCommand);
    bool startsMinimized() const { return startMinimized_; }

  private:
    // The normal window's outer rectangle in pixels, minimized or not.
    RECT normalRect() const;

    HWND window_;
    Hook hook_;
    bool shown_ = false;
    bool startMinimized_ = false;
};

}  // namespace zelt::win32
