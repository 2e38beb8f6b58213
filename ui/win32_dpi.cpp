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

HFONT createMessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                    static_cast<UINT>(dpi))) {
        // Older systems: the font at the system dpi, scaled to the window's.
        metrics.cbSize = sizeof metrics;
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
            return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        }
        const UINT systemDpi = GetDpiForSystem();
        if (systemDpi != 0) {
            metrics.lfMessageFont.lfHeight =
                MulDiv(metrics.lfMessageFont.lfHeight, dpi, static_cast<int>(systemDpi));
        }
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

}  // namespace zelt::win32
