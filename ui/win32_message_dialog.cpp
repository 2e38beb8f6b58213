#include "ui/win32_message_dialog.h"

#include "ui/win32_text.h"

namespace zelt::win32 {

void Win32MessageDialog::show(const std::string& text) {
    const HWND owner = IsWindow(owner_) ? owner_ : nullptr;
    MessageBoxW(owner, widen(text).c_str(), nullptr, MB_OK);
}

}  // namespace zelt::win32
