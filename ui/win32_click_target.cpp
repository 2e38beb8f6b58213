#include "ui/win32_click_target.h"

#include <windowsx.h>

namespace zelt::win32 {
namespace {

void notifyParent(HWND window) {
    const auto id = static_cast<WORD>(GetDlgCtrlID(window));
    SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                 reinterpret_cast<LPARAM>(window));
}

LRESULT CALLBACK clickTargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
            case WM_ERASEBKGND:
                return 1;  // the sibling beneath shows through
            case WM_PAINT: {
                PAINTSTRUCT ps;
                BeginPaint(window, &ps);
                EndPaint(window, &ps);
                return 0;
            }
            case WM_LBUTTONDOWN:
                SetCapture(window);
                return 0;
            case WM_LBUTTONUP: {
                if (GetCapture() != window) return 0;
                ReleaseCapture();
                RECT client;
                GetClientRect(window, &client);
                const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                // A press dragged off the label before release is no click.
                if (PtInRect(&client, at)) notifyParent(window);
                return 0;
            }
            default:
                break;
        }
    } catch (...) {
        // Nothing may leave a window procedure.
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void registerClickTargetClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = clickTargetProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClickTargetClass;
    RegisterClassExW(&wc);
}

}  // namespace zelt::win32
