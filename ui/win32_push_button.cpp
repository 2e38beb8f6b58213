#include "ui/win32_push_button.h"

namespace zelt::win32 {

void PushButton::create(const ControlArgs& args) {
    Control::create(L"BUTTON", kChildStyle | kTabStopStyle | BS_PUSHBUTTON, 0, args);
}

void PushButton::notified(WORD code) {
    if (code == BN_CLICKED && !writing() && onClick) onClick();
}

}  // namespace zelt::win32
