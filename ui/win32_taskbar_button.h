#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <functional>

#include "common/win32_scoped.h"
#include "ui/transmit_cues.h"

namespace zelt::win32 {

// The transmit mark on the window's taskbar button: a small red disc over the program's icon,
// described as "Transmitting" for screen readers. The window's own icon and caption never change.
class TaskbarButton final : public zelt::TaskbarButton {
  public:
    // Makes the taskbar object; the tests hand in one of their own.
    using Maker = std::function<HRESULT(ITaskbarList3**)>;

    // The window must be the taskbar button's, and the thread in a single-threaded apartment.
    explicit TaskbarButton(HWND window, Maker make = makeTaskbarList);
    TaskbarButton(const TaskbarButton&) = delete;
    TaskbarButton& operator=(const TaskbarButton&) = delete;

    void connect() override;
    void markTransmitting(bool transmitting) override;

    // "TaskbarButtonCreated", which Windows sends the window once its button is there (again);
    // 0 when it cannot be registered.
    static UINT buttonCreatedMessage();
    static HRESULT makeTaskbarList(ITaskbarList3** list);

  private:
    HICON mark();

    HWND window_;
    Maker make_;
    ScopedIcon mark_;  // loaded at the first use
    ScopedCom<ITaskbarList3> list_;
};

}  // namespace zelt::win32
