#pragma once

#include <windows.h>

#include "ui/timer.h"

namespace zelt::win32 {

// The timer as SetTimer on MainForm's window: each period brings the window a WM_TIMER whose
// wParam is kId, which the window hands to the form.
class Timer final : public zelt::Timer {
  public:
    static constexpr UINT_PTR kId = 0x5854;  // "TX"

    explicit Timer(HWND window) : window_(window) {}
    void start(std::uint32_t milliseconds) override;
    void stop() noexcept override;

  private:
    HWND window_;
};

}  // namespace zelt::win32
