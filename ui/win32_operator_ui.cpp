#include "ui/win32_operator_ui.h"

#include "common/win32_text.h"

namespace zelt::win32 {

void OperatorUi::beep() noexcept {
    MessageBeep(MB_ICONWARNING);
}

void OperatorUi::showEventLog() {
    logWindow_.show();
}

void OperatorUi::showAbout(const std::string& text) {
    const HWND owner = IsWindow(owner_) ? owner_ : nullptr;
    MessageBoxW(owner, toUtf16(text).c_str(), L"About zelt", MB_OK | MB_ICONINFORMATION);
}

}  // namespace zelt::win32
