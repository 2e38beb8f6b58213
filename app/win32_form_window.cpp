#include "app/win32_form_window.h"

#include <dbt.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "app/main_form.h"
#include "app/win32_system_menu.h"
#include "common/win32_text.h"
#include "port/win32_serial_port.h"
#include "ui/layout.h"
#include "ui/win32_dpi.h"
#include "ui/win32_owned_window.h"
#include "ui/win32_taskbar_button.h"
#include "ui/win32_timer.h"

namespace zelt::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"ZeltMainForm";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kIconId = 1;
constexpr POINT kSmallestTrackSize{1, 1};

// The name of the port a device event is about, read no further than the size the event gives;
// nothing for an event that is not about a port.
std::optional<std::wstring> portName(LPARAM data) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_PORT || header->dbch_size <= kNameOffset) {
        return std::nullopt;
    }
    const auto* port = reinterpret_cast<const DEV_BROADCAST_PORT_W*>(header);
    const std::wstring_view name(port->dbcp_name, (header->dbch_size - kNameOffset) / sizeof(wchar_t));
    return std::wstring(name.substr(0, name.find(L'\0')));
}

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
    return dispatchToOwner(hwnd, message, wParam, lParam, &FormWindow::hwnd_, &FormWindow::handle);
}

LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;  // WM_NCDESTROY forgets it before the default procedure runs
    // Registered at run time, so no case of a switch.
    if (message == Win32TaskbarButton::buttonCreatedMessage() && message != 0 && form_ != nullptr) {
        form_->taskbarButtonCreated();
        return 0;
    }
    std::optional<LRESULT> answer = operatorInput(message, wParam, lParam);
    if (!answer) answer = layout(message, wParam, lParam);
    if (!answer) answer = systemEvent(message, wParam, lParam);
    if (!answer) answer = lifetime(message);
    return answer ? *answer : DefWindowProcW(hwnd, message, wParam, lParam);
}

// The operator's commands: the controls, the keyboard, the system menu's extras and the transmit
// time limit's timer.
std::optional<LRESULT> FormWindow::operatorInput(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
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
                pressFocusedButton();
                return 0;
            }
            break;
        case FocusTracker::kRecheckMessage:
        case WM_NEXTDLGCTL:
        case WM_ACTIVATE:
        case WM_SETFOCUS:
            if (trackFocus(message, wParam, lParam)) return 0;
            break;
        default:
            break;
    }
    return std::nullopt;
}

// The window's size and what it holds, at any dpi.
std::optional<LRESULT> FormWindow::layout(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case FormView::kCreateTooltipsMessage:
            if (view_) view_->createTooltips();
            return 0;
        case WM_GETDPISCALEDSIZE:
            // Windows asks what size the window wants at the new dpi before it suggests a
            // rectangle: the size the twips give, so that the suggestion is exactly that.
            if (view_) {
                *reinterpret_cast<SIZE*>(lParam) = view_->scaledSize(static_cast<int>(LOWORD(wParam)));
                return TRUE;
            }
            break;
        case WM_DPICHANGED:
            if (view_) view_->dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_GETMINMAXINFO:
            // The collapsed window is narrower than the system's smallest captioned window; the
            // program alone decides its width.
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = kSmallestTrackSize;
            return 0;
        default:
            break;
    }
    return std::nullopt;
}

// What Windows tells the window of the session, the devices and the power.
std::optional<LRESULT> FormWindow::systemEvent(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            if (form_ != nullptr) {
                close();
                return 0;
            }
            break;
        case WM_ENDSESSION:
            // The process may end right after this message without the window being destroyed.
            if (wParam != FALSE && form_ != nullptr) form_->sessionEnding();
            return 0;
        case WM_DEVICECHANGE:
            if (form_ != nullptr) deviceChanged(wParam, lParam);
            return TRUE;
        case WM_POWERBROADCAST:
            if (form_ == nullptr) return TRUE;
            // The radio is unkeyed and the port let go of before the machine sleeps (Windows waits
            // about two seconds for this); after it wakes, the port is opened afresh.
            if (wParam == PBT_APMSUSPEND) form_->suspending();
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) form_->resumed();
            return TRUE;
        default:
            break;
    }
    return std::nullopt;
}

// A serial port that Windows names as it arrives or goes is followed by its number; any other
// change of devices (DBT_DEVNODES_CHANGED, or a port of a name that is no COM number) is followed
// by asking the radio's port whether it still answers.
void FormWindow::deviceChanged(WPARAM event, LPARAM data) {
    if (event == DBT_DEVNODES_CHANGED) {
        form_->devicesChanged();
        return;
    }
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
    const std::optional<std::wstring> name = portName(data);
    if (!name) return;  // not a port: a disk, a volume, an interface
    const std::optional<std::int16_t> number = Win32SerialPort::portNumberOfName(*name);
    if (!number) {
        form_->devicesChanged();
    } else if (event == DBT_DEVICEARRIVAL) {
        form_->portArrived(*number);
    } else {
        form_->portRemoved(*number);
    }
}

std::optional<LRESULT> FormWindow::lifetime(UINT message) {
    switch (message) {
        case WM_DESTROY:
            if (form_ != nullptr) form_->windowDestroyed();
            if (view_) view_->detach();
            if (quitOnDestroy_) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            break;
        default:
            break;
    }
    return std::nullopt;
}

// Enter, as IsDialogMessage reports it: it presses the push button that has the focus.
void FormWindow::pressFocusedButton() {
    HWND focus = GetFocus();
    const auto code =
        focus != nullptr && IsChild(hwnd_, focus) ? SendMessageW(focus, WM_GETDLGCODE, 0, 0) : 0;
    if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) SendMessageW(focus, BM_CLICK, 0, 0);
}

// The focus messages, for the view's focus tracker. False where the system's own handling follows.
bool FormWindow::trackFocus(UINT message, WPARAM wParam, LPARAM lParam) {
    FocusTracker* focus = view_ ? &view_->focus() : nullptr;
    switch (message) {
        case FocusTracker::kRecheckMessage:
            if (focus != nullptr) focus->recheck();
            return true;
        case WM_NEXTDLGCTL:
            // IsDialogMessage asks for this on Tab and on a label's access key.
            if (focus != nullptr) focus->moveTo(wParam, lParam);
            return true;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (focus != nullptr) focus->deactivated();
                return false;
            }
            if (HIWORD(wParam) != 0) return false;  // activated while minimized
            if (focus != nullptr) focus->restore();
            return true;
        case WM_SETFOCUS:
            if (focus != nullptr) focus->restore();
            return true;
        default:
            return false;
    }
}

void FormWindow::close() {
    try {
        form_->unload();
    } catch (...) {
        // The operator asked to close: the window goes even if the unload failed.
    }
    if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

}  // namespace zelt::win32
