#pragma once

#include <windows.h>

#include "ui/window_system.h"

namespace zelt::win32 {

// MainForm's window as the core sees it, over one HWND. Widths are in twips at the window's dpi and
// always those of the normal (restored) window, also while it is minimized.
class WindowSystem : public zelt::WindowSystem {
  public:
    explicit WindowSystem(HWND window);

    float clientWidth() override;
    float outerWidth() override;
    void setOuterWidth(float twips) override;

    void setMinimized() override;
    void setOnTop(bool onTop) override;

    void destroy() override;

    // Shows the window for the first time: minimized without taking the focus when start-up asked
    // for it, otherwise as the program was launched.
    void showFirst(int showCommand);
    // How the window is first shown for the command it was launched with.
    static int firstShowCommand(int launched);

  private:
    // The normal window's outer rectangle in pixels, minimized or not.
    RECT normalRect() const;

    HWND window_;
    bool shown_ = false;
    bool startMinimized_ = false;
};

}  // namespace zelt::win32
