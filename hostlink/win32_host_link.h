#pragma once

#include <windows.h>

#include "hostlink/host_messages.h"

namespace zelt::win32 {

// The host's way to the program on the main window: RegisterWindowMessageA for the message (the
// name is ANSI in both programs) and a subclassing procedure installed with the wide calls, so the
// window stays a Unicode window. There is one per program; it must outlive the window's last
// message. Each call throws Failure when it fails.
class HostLink final {
  public:
    HostLink(HWND window, HostMessages& messages);
    ~HostLink();
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;

    void registerMessage();
    // Puts the hook in front of the main window's procedure, for the life of the window.
    void hookWindow();

  private:
    static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_;
    HostMessages& messages_;
    WNDPROC previous_ = nullptr;
    bool windowGone_ = false;  // set at WM_NCDESTROY: nothing may touch the window after that
};

}  // namespace zelt::win32
