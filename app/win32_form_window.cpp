#include "app/win32_form_window.h"

#include <dbt.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_form.h"
#include "app/win32_single_instance.h"
#include "app/win32_system_menu.h"
#include "common/win32_text.h"
#include "port/win32_serial_port.h"
#include "ui/layout.h"
#include "ui/win32_dpi.h"
#include "ui/win32_global_hotkey.h"
#include "ui/win32_owned_window.h"
#include "ui/win32_taskbar_button.h"
#include "ui/win32_timer.h"

namespace zelt::win32 {
namespace {

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
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    FormView::registerClasses(instance);
}

HWND FormWindow::create(HINSTANCE instance) {
    // The size is set once the window knows its dpi (FormView).
    return CreateWindowExW(kExStyle, kClassName, toUtf16(layout::kCaption).c_str(), kStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
}

void FormWindow::attach(MainForm& form) {
    form_ = &form;
    view_ = std::make_unique<FormView>(hwnd_, form);
}

LRESULT CALLBACK FormWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return dispatchToOwner(hwnd, message, wParam, lParam, &FormWindow::hwnd_, &FormWindow::handle);
}

// Each message the window answers is one case. Until the form is attached, and once the window is
// gone, the system answers for it.
LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;  // WM_NCDESTROY forgets it before the default procedure runs
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
    }
    if (view_ == nullptr || hwnd_ == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    // Registered at run time, so no case of the switch.
    if (message == TaskbarButton::buttonCreatedMessage() && message != 0) {
        form_->taskbarButtonCreated();
        return 0;
    }
    if (message == SingleInstance::handOverMessage() && message != 0) {
        SingleInstance::comeToFront(hwnd);
        form_->secondStartTurnedAway();
        return 0;
    }
    switch (message) {
        case WM_COMMAND:
            // A control's notification; from no control, a submenu item of the system menu or Enter.
            if (lParam != 0) {
                view_->command(wParam, lParam);
            } else {
                menuOrEnter(wParam);
            }
            return 0;
        case WM_SYSCOMMAND:
            if (systemMenu_ != nullptr && systemMenu_->command(wParam)) return 0;
            break;
        case WM_INITMENUPOPUP:
            if (systemMenu_ != nullptr) systemMenu_->opening();
            break;
        case WM_HOTKEY:
            if (wParam != static_cast<WPARAM>(GlobalHotkey::kId)) break;
            form_->unkeyByHotkey();
            return 0;
        case WM_TIMER:
            if (wParam != Timer::kId) break;
            form_->transmitTimerFired();
            return 0;
        case WM_NEXTDLGCTL:
            // IsDialogMessage asks for this on Tab and on a label's access key.
            view_->focus().moveTo(wParam, lParam);
            return 0;
        case FocusTracker::kRecheckMessage:
            view_->focus().recheck();
            return 0;
        case WM_ACTIVATE:
            if (activated(wParam)) return 0;
            break;
        case WM_SETFOCUS:
            view_->focus().restore();
            return 0;
        case FormView::kCreateTooltipsMessage:
            view_->createTooltips();
            return 0;
        case WM_GETMINMAXINFO:
            keepDesignedSize(*reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_SIZE:
            // A maximize that came all the same is undone once the move that made it is over.
            if (wParam == SIZE_MAXIMIZED) PostMessageW(hwnd, kUnmaximizeMessage, 0, 0);
            break;
        case kUnmaximizeMessage:
            if (IsZoomed(hwnd) != FALSE) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
            return 0;
        case WM_GETDPISCALEDSIZE:
            // Windows asks what size the window wants at the new dpi before it suggests a
            // rectangle: the size the twips give, so that the suggestion is exactly that.
            *reinterpret_cast<SIZE*>(lParam) = view_->scaledSize(static_cast<int>(LOWORD(wParam)));
            return TRUE;
        case WM_DPICHANGED:
            view_->dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            close();
            return 0;
        case WM_ENDSESSION:
            // The process may end right after this message without the window being destroyed. The
            // Restart Manager (ENDSESSION_CLOSEAPP) wants the program itself gone, as a close does.
            if (wParam == FALSE) return 0;
            form_->sessionEnding();
            if ((lParam & ENDSESSION_CLOSEAPP) != 0) close();
            return 0;
        case WM_DEVICECHANGE:
            deviceChanged(wParam, lParam);
            return TRUE;
        case WM_POWERBROADCAST:
            powerChanged(wParam);
            return TRUE;
        case WM_DESTROY:
            destroyed();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A command without a control: an item of a submenu of the system menu, or Enter as
// IsDialogMessage reports it (IDOK), which presses the push button that has the focus.
void FormWindow::menuOrEnter(WPARAM wParam) {
    if (HIWORD(wParam) == 0 && systemMenu_ != nullptr && systemMenu_->command(wParam)) return;
    if (LOWORD(wParam) != IDOK) return;
    HWND focus = GetFocus();
    const auto code =
        focus != nullptr && IsChild(hwnd_, focus) ? SendMessageW(focus, WM_GETDLGCODE, 0, 0) : 0;
    if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) SendMessageW(focus, BM_CLICK, 0, 0);
}

// The control that had the focus is remembered as the window goes inactive and takes it back as it
// is active again. False where the default procedure follows: going inactive, or activated while
// minimized, where no control can take the focus.
bool FormWindow::activated(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        view_->focus().deactivated();
        return false;
    }
    if (HIWORD(wParam) != 0) return false;
    view_->focus().restore();
    return true;
}

// The window's size is the program's alone. The collapsed window is narrower than the system's
// smallest captioned window. A maximize (a shortcut set to "Maximized" replaces the first show with
// it) gives the window the size and place it has, and WM_SIZE undoes it. The largest tracking size
// stays the system's: it also bounds the program's own resizing when the panel opens.
void FormWindow::keepDesignedSize(MINMAXINFO& info) const {
    info.ptMinTrackSize = kSmallestTrackSize;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(hwnd_, &placement) == FALSE) return;
    // Both in workspace coordinates, as the maximized place is.
    const RECT& normal = placement.rcNormalPosition;
    info.ptMaxSize = POINT{normal.right - normal.left, normal.bottom - normal.top};
    info.ptMaxPosition = POINT{normal.left, normal.top};
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
    const std::optional<std::int16_t> number = SerialPort::portNumberOfName(*name);
    if (!number) {
        form_->devicesChanged();
    } else if (event == DBT_DEVICEARRIVAL) {
        form_->portArrived(*number);
    } else {
        form_->portRemoved(*number);
    }
}

// The radio is unkeyed and the port let go of before the machine sleeps (Windows waits about two
// seconds for this); after it wakes, the port is opened afresh. Every wake brings
// PBT_APMRESUMEAUTOMATIC; one that a user made brings PBT_APMRESUMESUSPEND after it.
void FormWindow::powerChanged(WPARAM event) {
    if (event == PBT_APMSUSPEND) form_->suspending();
    if (event == PBT_APMRESUMEAUTOMATIC) form_->resumed(false);
    if (event == PBT_APMRESUMESUSPEND) form_->resumed(true);
}

void FormWindow::close() {
    try {
        form_->unload();
    } catch (...) {
        // The operator asked to close: the window goes even if the unload failed.
    }
    if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void FormWindow::destroyed() {
    form_->windowDestroyed();
    view_->detach();
    if (quitOnDestroy_) PostQuitMessage(0);
}

}  // namespace zelt::win32
