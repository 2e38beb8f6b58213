#include "app/win32_form_window.h"

#include <dbt.h>

#include "app/main_form.h"
#include "app/win32_system_menu.h"
#include "common/win32_text.h"
#include "ui/layout.h"
#include "ui/win32_timer.h"

namespace zelt::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"ZeltMainForm";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kIconId = 1;

}  // namespace

FormWindow::~FormWindow() {
    if (hwnd_ != nullptr) {
        quitOnDestroy_ = false;
        DestroyWindow(hwnd_);
    }
}

void FormWindow::registerClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    wc.hIconSm =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    FormView::registerClasses(instance);
}

HWND FormWindow::create(HINSTANCE instance) {
    // The size is set once the window knows its dpi (FormView).
    return CreateWindowExW(kExStyle, kWindowClass, toUtf16(layout::kCaption).c_str(), kStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
}

void FormWindow::attach(MainForm& form) {
    form_ = &form;
    view_ = std::make_unique<FormView>(hwnd_, form);
}

LRESULT CALLBACK FormWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr) return self->handle(message, wParam, lParam);
    } catch (...) {
        // Nothing may leave a window procedure.
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    switch (message) {
        // The system menu's extras and the transmit time limit's timer.
        case WM_INITMENUPOPUP:
            if (systemMenu_ != nullptr) systemMenu_->opening();
            break;
        case WM_SYSCOMMAND:
            if (systemMenu_ != nullptr && systemMenu_->command(wParam)) return 0;
            break;
        case WM_TIMER:
            if (wParam == Win32Timer::kId && form_ != nullptr) {
                form_->transmitTimerFired();
                return 0;
            }
            break;
        case WM_COMMAND:
            // A submenu of the system menu may report its items as commands.
            if (lParam == 0 && HIWORD(wParam) == 0 && systemMenu_ != nullptr &&
                systemMenu_->command(wParam)) {
                return 0;
            }
            if (view_ && view_->command(wParam, lParam)) return 0;
            if (LOWORD(wParam) == IDOK && lParam == 0) {
                // Enter, as IsDialogMessage reports it: it presses the push button that has the focus.
                HWND focus = GetFocus();
                const auto code =
                    focus != nullptr && IsChild(hwnd, focus) ? SendMessageW(focus, WM_GETDLGCODE, 0, 0) : 0;
                if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
                    SendMessageW(focus, BM_CLICK, 0, 0);
                }
                return 0;
            }
            break;
        case FormView::kFocusMovedMessage:
            if (view_) view_->focusMoved();
            return 0;
        case FormView::kCreateTooltipsMessage:
            if (view_) view_->createTooltips();
            return 0;
        case WM_DPICHANGED:
            if (view_) view_->dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_GETMINMAXINFO: {
            // The collapsed window is narrower than the system's smallest captioned window; the
            // program alone decides its width.
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = POINT{1, 1};
            return 0;
        }
        case WM_NEXTDLGCTL:
            // IsDialogMessage asks for this on Tab and on a label's access key.
            moveFocus(wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(hwnd, focus)) lastFocus_ = focus;
            } else if (HIWORD(wParam) == 0) {
                restoreFocus();
                return 0;
            }
            break;
        case WM_SETFOCUS:
            restoreFocus();
            return 0;
        case WM_CLOSE:
            if (form_ != nullptr) {
                try {
                    form_->unload();
                } catch (...) {
                    // The operator asked to close: the window goes even if the unload failed.
                }
                if (hwnd_ != nullptr && IsWindow(hwnd)) DestroyWindow(hwnd);
                return 0;
            }
            break;
        case WM_ENDSESSION:
            // The process may end right after this message without the window being destroyed.
            if (wParam != FALSE && form_ != nullptr) form_->sessionEnding();
            return 0;
        case WM_DEVICECHANGE:
            // A serial adapter plugged in or pulled out: the port list and a lost port follow it.
            if ((wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE ||
                 wParam == DBT_DEVNODES_CHANGED) &&
                form_ != nullptr) {
                form_->portsChanged();
            }
            return TRUE;
        case WM_POWERBROADCAST:
            // After sleep a serial device may have been reset under an open handle.
            if ((wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) && form_ != nullptr) {
                form_->resumed();
            }
            return TRUE;
        case WM_DESTROY:
            if (form_ != nullptr) form_->windowDestroyed();
            if (view_) view_->detach();
            if (quitOnDestroy_) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void FormWindow::moveFocus(WPARAM wParam, LPARAM lParam) {
    HWND target = nullptr;
    if (LOWORD(lParam) != 0) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        HWND focus = GetFocus();
        if (focus != nullptr && !IsChild(hwnd_, focus)) focus = nullptr;
        target = GetNextDlgTabItem(hwnd_, focus, wParam != 0 ? TRUE : FALSE);
    }
    if (target == nullptr) return;
    SetFocus(target);
    // As in a dialog, an edit reached from the keyboard has all its text selected.
    if ((SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
        SendMessageW(target, EM_SETSEL, 0, -1);
    }
}

void FormWindow::restoreFocus() {
    HWND target = lastFocus_;
    if (target == nullptr || !IsWindow(target) || !IsWindowEnabled(target) || !IsChild(hwnd_, target)) {
        target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    }
    if (target != nullptr) SetFocus(target);
}

}  // namespace zelt::win32
