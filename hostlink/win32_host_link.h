#pragma once

#include <windows.h>

#include "hostlink/host_link.h"
#include "hostlink/host_messages.h"

namespace zelt::win32 {

// The host link on the main window: RegisterWindowMessageA for the message (the name is ANSI in
// both programs) and a subclassing procedure installed with the wide calls, so the window stays
// a Unicode window. There is one per program; it must outlive the window's last message.
class Win32HostLink final : public HostLink {
  public:
    Win32HostLink(HWND window, HostMessages& messages);
    ~Win32HostLink() override;
    Win32HostLink(const Win32HostLink&) = delete;
    Win32HostLink& operator=(const Win32HostLink&) = delete;

    void registerMessage() override;
    void hookWindow() override;

  private:
    static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_;
    HostMessages& messages_;
    WNDPROC previous_ = nullptr;
    bool windowGone_ = false;  // set at WM_NCDESTROY: nothing may touch the window after that
};

}  // namespace zelt::win32
