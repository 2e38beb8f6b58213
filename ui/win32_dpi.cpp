#include "ui/win32_dpi.h"

#include <optional>

namespace zelt::win32 {
namespace {

std::optional<DpiFunctions> g_functions;

template <typename Function>
void lookUp(HMODULE module, const char* name, Function& function) {
    // GetProcAddress gives a generic pointer; the name fixes the real signature.
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

DpiFunctions lookUpDpiFunctions() {
    DpiFunctions functions;
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return functions;
    lookUp(user32, "GetDpiForWindow", functions.getDpiForWindow);
    lookUp(user32, "GetDpiForSystem", functions.getDpiForSystem);
    lookUp(user32, "AdjustWindowRectExForDpi", functions.adjustWindowRectExForDpi);
    lookUp(user32, "GetSystemMetricsForDpi", functions.getSystemMetricsForDpi);
    return functions;
}

const DpiFunctions& dpiFunctions() {
    if (!g_functions) g_functions = lookUpDpiFunctions();
    return *g_functions;
}

void useDpiFunctions(const DpiFunctions& functions) {
    g_functions = functions;
}

int systemDpi() {
    if (const auto function = dpiFunctions().getDpiForSystem) {
        if (const UINT dpi = function(); dpi != 0) return static_cast<int>(dpi);
    }
    // Windows 7 and 8.1: the screen's logical pixels per inch.
    int dpi = 0;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int windowDpi(HWND window) {
    if (const auto function = dpiFunctions().getDpiForWindow) {
        if (const UINT dpi = function(window); dpi != 0) return static_cast<int>(dpi);
    }
    return systemDpi();
}

SIZE frameSize(HWND window, int dpi) {
    RECT rect{0, 0, 0, 0};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    const BOOL menu = GetMenu(window) != nullptr ? TRUE : FALSE;
    if (const auto function = dpiFunctions().adjustWindowRectExForDpi) {
        function(&rect, style, menu, exStyle, static_cast<UINT>(dpi));
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }
    // The frame at the system's DPI, scaled to the one asked for (the same where they agree).
    AdjustWindowRectEx(&rect, style, menu, exStyle);
    const int system = systemDpi();
    return SIZE{MulDiv(rect.right - rect.left, dpi, system), MulDiv(rect.bottom - rect.top, dpi, system)};
}

int systemMetric(int index, int dpi) {
    if (const auto function = dpiFunctions().getSystemMetricsForDpi) {
        return function(index, static_cast<UINT>(dpi));
    }
    return MulDiv(GetSystemMetrics(index), dpi, systemDpi());
}

}  // namespace zelt::win32
