#pragma once

#include <functional>
#include <string>

#include "ui/win32_control.h"

namespace zelt::win32 {

// A single-line edit box. Every change the operator makes runs onChange with the new text; the
// text the program writes is not reported back. onFocusLost runs whenever the box loses the focus,
// whoever caused it.
class EditBox : public Control {
  public:
    void create(const ControlArgs& args);
    void notified(WORD code) override;

    std::function<void(const std::string&)> onChange;
    std::function<void()> onFocusLost;
};

}  // namespace zelt::win32
