#include "ui/win32_dpi.h"

#include <string>

#include "common/win32_optional_functions.h"
#include "common/win32_scoped.h"
#include "common/win32_text.h"

namespace zelt::win32 {
namespace {

// MDT_EFFECTIVE_DPI: the dpi the user's scale for that monitor gives.
constexpr int kEffectiveDpi = 0;
constexpr int kDialogFontPoints = 8;
constexpr int kPointsPerInch = 72;

// For Windows 8.1, which has no dpi of a window; 0 when the system cannot tell (Windows 7).
int monitorDpi(HWND window) {
    const auto function = optionalFunctions().getDpiForMonitor;
    if (function == nullptr) return 0;
    UINT dpiX = 0;
    UINT dpiY = 0;
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || FAILED(function(monitor, kEffectiveDpi, &dpiX, &dpiY))) return 0;
    return static_cast<int>(dpiX);
}

}  // namespace

int systemDpi() {
    if (const auto function = optionalFunctions().getDpiForSystem) {
        if (const UINT dpi = function(); dpi != 0) return static_cast<int>(dpi);
    }
    // Windows 7 and 8.1: the screen's logical pixels per inch.
    const ScopedGetDC screen(nullptr);
    const int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int windowDpi(HWND window) {
    if (const auto function = optionalFunctions().getDpiForWindow) {
        if (const UINT dpi = function(window); dpi != 0) return static_cast<int>(dpi);
    }
    if (const int dpi = monitorDpi(window); dpi > 0) return dpi;
    return systemDpi();
}

SIZE frameSize(HWND window, int dpi) {
    RECT rect{0, 0, 0, 0};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    const BOOL menu = GetMenu(window) != nullptr ? TRUE : FALSE;
    if (const auto function = optionalFunctions().adjustWindowRectExForDpi) {
        function(&rect, style, menu, exStyle, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&rect, style, menu, exStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int systemMetric(int index, int dpi) {
    if (const auto function = optionalFunctions().getSystemMetricsForDpi) {
        return function(index, static_cast<UINT>(dpi));
    }
    return MulDiv(GetSystemMetrics(index), dpi, systemDpi());
}

ScopedFont dialogFont(int dpi) {
    // A negative height is the character height, no internal leading: points as a dialog template means.
    return ScopedFont{CreateFontW(-MulDiv(kDialogFontPoints, dpi, kPointsPerInch), 0, 0, 0, FW_NORMAL, FALSE,
                                  FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg")};
}

SIZE captionExtent(HWND control) {
    const std::wstring text = toUtf16(windowText(control));
    if (text.empty()) return SIZE{0, 0};

    const ScopedGetDC dc(control);
    if (dc.get() == nullptr) return SIZE{0, 0};
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const ScopedSelectObject selected(dc.get(), font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    RECT room{0, 0, 0, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &room,
              DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_LEFT);
    return SIZE{room.right - room.left, room.bottom - room.top};
}

}  // namespace zelt::win32
