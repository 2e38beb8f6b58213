#include "hostlink/win32_subclass_proc.h"

namespace zelt::win32 {
namespace {

MainForm* g_form = nullptr;
WndProcs* g_wndProcs = nullptr;
// What HookWindow replaced, for the messages that arrive before the caller has stored PrevWndProc.
std::uintptr_t g_replaced = 0;
// Set once the window has had WM_NCDESTROY: nothing may touch it after that.
bool g_windowGone = false;

WNDPROC previousProcedure() {
    const std::uintptr_t previous =
        (g_wndProcs != nullptr && g_wndProcs->PrevWndProc != 0) ? g_wndProcs->PrevWndProc : g_replaced;
    return reinterpret_cast<WNDPROC>(previous);
}

}  // namespace

void bindHostLink(MainForm& form, WndProcs& wndProcs) {
    g_form = &form;
    g_wndProcs = &wndProcs;
    g_windowGone = false;
}

std::uintptr_t HookWindow(HWND window, WNDPROC procedure) {
    const auto previous = static_cast<std::uintptr_t>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    g_replaced = previous;
    g_windowGone = false;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    return previous;
}

LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        const WNDPROC previous = previousProcedure();
        auto forward = [&]() -> std::intptr_t {
            if (previous == nullptr) return DefWindowProcA(window, message, wParam, lParam);
            return CallWindowProcA(previous, window, message, wParam, lParam);
        };
        if (g_form == nullptr || g_wndProcs == nullptr) return forward();

        const std::intptr_t result =
            g_wndProcs->dispatch(*g_form, message, wParam, lParam, forward, [] { return !g_windowGone; });
        if (message == WM_NCDESTROY) g_windowGone = true;
        return result;
    } catch (...) {
        // Nothing may leave a window procedure; the message simply has no effect.
        return 0;
    }
}

}  // namespace zelt::win32
