#include "ui/win32_check_box.h"

namespace zelt::win32 {

void CheckBox::create(const ControlArgs& args) {
    // Three states, as a stored value other than 0 or 1 shows grey.
    Control::create(L"BUTTON", kChildStyle | kTabStopStyle | BS_3STATE, 0, args);
}

void CheckBox::setCheck(WPARAM state) {
    if (hwnd() == nullptr || static_cast<WPARAM>(SendMessageW(hwnd(), BM_GETCHECK, 0, 0)) == state) return;
    const Writing writing(*this);
    SendMessageW(hwnd(), BM_SETCHECK, state, 0);
}

void CheckBox::notified(WORD code) {
    if (code == BN_CLICKED && !writing() && onClick) onClick();
}

}  // namespace zelt::win32
