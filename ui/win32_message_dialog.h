#pragma once

#include <windows.h>

#include <string>

#include "ui/window_system.h"

namespace zelt::win32 {

// The system's message box, owned by MainForm's window: the text, OK only, no icon, the system's
// default title.
class MessageDialog : public zelt::MessageDialog {
  public:
    explicit MessageDialog(HWND owner) : owner_(owner) {}
    void show(const std::string& text) override;

  private:
    HWND owner_;
};

}  // namespace zelt::win32
