#include "ui/win32_message_dialog.h"

#include "common/win32_text.h"

namespace zelt::win32 {

void MessageDialog::show(const std::string& text) {
    const HWND owner = IsWindow(owner_) ? owner_ : nullptr;
    MessageBoxW(owner, toUtf16(text).c_str(), nullptr, MB_OK);
}

}  // namespace zelt::win32
