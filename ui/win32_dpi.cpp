#include "ui/win32_dpi.h"

namespace zelt::win32 {

int windowDpi(HWND window) {
    const UINT dpi = GetDpiForWindow(window);
    return dpi != 0 ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

SIZE frameSize(HWND window, int dpi) {
    RECT rect{0, 0, 0, 0};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&rect, style, GetMenu(window) != nullptr, exStyle, static_cast<UINT>(dpi));
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace zelt::win32
