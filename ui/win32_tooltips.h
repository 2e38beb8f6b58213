#pragma once

#include <windows.h>

#include <string>

namespace zelt::win32 {

// The tooltips of a form's controls, in one popup window that this object owns.
class Tooltips {
  public:
    Tooltips() = default;
    ~Tooltips() { destroy(); }
    Tooltips(const Tooltips&) = delete;
    Tooltips& operator=(const Tooltips&) = delete;

    // Makes the popup for the form's controls; false if it cannot be made.
    bool create(HWND form);
    bool created() const { return popup_ != nullptr; }
    // The text shown while the pointer rests on the control.
    void add(HWND control, const std::string& text);
    void destroy() noexcept;

  private:
    HWND form_ = nullptr;
    HWND popup_ = nullptr;
};

}  // namespace zelt::win32
