#include "ui/win32_indicator.h"

#include <algorithm>

#include "common/win32_scoped.h"

namespace zelt::win32 {
namespace {

void paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

    const RECT circle = indicatorCircle(client.right, client.bottom);
    {
        const ScopedBrush fill{CreateSolidBrush(static_cast<COLORREF>(indicatorColor(window)))};
        const ScopedSelectObject brush(dc, fill.get());
        // The outline in the window-text colour, read at each paint: black in the usual scheme, and
        // still seen in a dark high-contrast one (the system repaints every window when it changes).
        const ScopedPen outline{CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT))};
        const ScopedSelectObject pen(dc,
                                     outline.get() != nullptr ? outline.get() : GetStockObject(BLACK_PEN));
        Ellipse(dc, circle.left, circle.top, circle.right, circle.bottom);
    }
    EndPaint(window, &ps);
}

// The colour lives in the process, reached through a pointer set once at creation: changing a
// window's extra bytes costs a round trip to the window server on every request under Wine.
std::uint32_t* colorSlot(HWND indicator) {
    return reinterpret_cast<std::uint32_t*>(GetWindowLongPtrW(indicator, 0));
}

LRESULT CALLBACK indicatorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
            case WM_NCCREATE:
                SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(new std::uint32_t{0}));
                break;
            case WM_NCDESTROY:
                delete colorSlot(window);
                SetWindowLongPtrW(window, 0, 0);
                break;
            case WM_ERASEBKGND:
                return 1;  // WM_PAINT covers every pixel
            case WM_PAINT:
                paint(window);
                return 0;
            default:
                break;
        }
    } catch (...) {
        // Painting failed (out of GDI objects); the next WM_PAINT tries again.
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void registerIndicatorClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = indicatorProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kIndicatorClass;
    RegisterClassExW(&wc);
}

bool setIndicatorColor(HWND indicator, std::uint32_t color) {
    std::uint32_t* slot = colorSlot(indicator);
    if (slot == nullptr || *slot == color) return false;
    *slot = color;
    InvalidateRect(indicator, nullptr, FALSE);
    return true;
}

std::uint32_t indicatorColor(HWND indicator) {
    const std::uint32_t* slot = colorSlot(indicator);
    return slot != nullptr ? *slot : 0;
}

RECT indicatorCircle(int width, int height) {
    const int diameter = std::min(width, height);
    const int left = (width - diameter) / 2;
    const int top = (height - diameter) / 2;
    return RECT{left, top, left + diameter, top + diameter};
}

}  // namespace zelt::win32
