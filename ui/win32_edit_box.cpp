#include "ui/win32_edit_box.h"

#include "common/win32_text.h"

namespace zelt::win32 {

void EditBox::create(const ControlArgs& args) {
    Control::create(L"EDIT", kChildStyle | kTabStopStyle | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, args);
}

void EditBox::notified(WORD code) {
    if (code == EN_KILLFOCUS) {
        // Also while the program writes: disabling the box takes the focus from it.
        if (onFocusLost) onFocusLost();
    } else if (code == EN_CHANGE && !writing() && onChange) {
        onChange(windowText(hwnd()));
    }
}

}  // namespace zelt::win32
