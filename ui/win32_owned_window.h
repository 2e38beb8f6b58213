#pragma once

#include <windows.h>

namespace zelt::win32 {

// The body of a window procedure for a class whose every window belongs to one object of Owner,
// passed as CreateWindowExW's last parameter. From WM_NCCREATE on the object is kept in the
// window's user data and its window in its field window; every message then goes to its handle, until
// WM_NCDESTROY lets the object go. Nothing may leave a window procedure: a failure answers 0.
template <class Owner>
LRESULT dispatchToOwner(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, HWND Owner::*window,
                        LRESULT (Owner::*handle)(UINT, WPARAM, LPARAM)) noexcept {
    try {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->*window = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Owner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr && message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->*window = nullptr;
        } else if (self != nullptr) {
            return (self->*handle)(message, wParam, lParam);
        }
    } catch (...) {
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace zelt::win32
