#include "app/win32_main_window.h"

#include <string>

#include "app/main_form.h"
#include "common/win32_text.h"
#include "ui/win32_dpi.h"
#include "ui/win32_owned_window.h"

namespace zelt::win32 {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr int kIconId = 1;

HICON loadIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

}  // namespace

MainWindow::~MainWindow() {
    if (hwnd_ != nullptr) {
        quitOnDestroy_ = false;
        DestroyWindow(hwnd_);
    }
}

void MainWindow::registerClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = loadIcon(instance, SM_CXICON, SM_CYICON);
    wc.hIconSm = loadIcon(instance, SM_CXSMICON, SM_CYSMICON);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    wc.lpfnWndProc = indicatorProc;  // the form's class, but the indicator paints every pixel of its own
    wc.lpszClassName = kIndicatorClassName;
    RegisterClassExW(&wc);
}

// The size is set once the window knows its dpi, at attach. The helpers that need the window are
// made with it: the host link, the event log window (owned by this one) and the taskbar button.
HWND MainWindow::create(HINSTANCE instance) {
    CreateWindowExW(kExStyle, kClassName, toUtf16(layout::kCaption).c_str(), kStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (hwnd_ == nullptr) return nullptr;
    hostLink_.emplace(hwnd_, hostMessages_);
    logWindow_.emplace(log_, hwnd_);
    taskbar_.emplace(hwnd_);
    // An elevated zelt lets a later start's hand-over through its filter.
    const UINT handOver = SingleInstance::handOverMessage();
    if (handOver != 0) ChangeWindowMessageFilterEx(hwnd_, handOver, MSGFLT_ALLOW, nullptr);
    return hwnd_;
}

void MainWindow::attach(MainForm& form) {
    form_ = &form;
    // Once the window is going, a request that still comes has no form to go to.
    hostMessages_.onRequest = [this](std::int32_t request, std::int32_t state) {
        if (form_ != nullptr) form_->hostRequest(request, state);
    };
    dpi_ = windowDpi(hwnd_);
    font_ = dialogFont(dpi_);
    focus_.emplace(hwnd_);
    const SIZE designed = outerSize(layout::kDesignedClientWidth, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, designed.cx, designed.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    createControls();
    placeControls();
    // Tooltips matter once the operator can point: made after the first show, they delay no start.
    PostMessageW(hwnd_, kCreateTooltipsMessage, 0, 0);
    exposeToAssistiveTechnology();
}

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return dispatchToOwner(hwnd, message, wParam, lParam, &MainWindow::hwnd_, &MainWindow::handle);
}

// One case per message answered; before attach and once the window is going, the system answers for it.
LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (form_ == nullptr) return DefWindowProcW(hwnd_, message, wParam, lParam);
    // Registered at run time, so no case of the switch.
    if (message == TaskbarButton::buttonCreatedMessage() && message != 0) {
        form_->taskbarButtonCreated();
        return 0;
    }
    if (message == SingleInstance::handOverMessage() && message != 0) {
        // Another start turned away: restored if minimized, and brought to the front.
        if (IsIconic(hwnd_) != FALSE) ShowWindow(hwnd_, SW_RESTORE);
        SetForegroundWindow(hwnd_);
        form_->secondStartTurnedAway();
        return 0;
    }
    switch (message) {
        case WM_COMMAND:
            // A control's notification; from no control, a submenu item of the system menu or Enter.
            if (lParam != 0) {
                command(wParam, lParam);
            } else if (HIWORD(wParam) != 0 || !systemMenuCommand(wParam)) {
                if (LOWORD(wParam) == IDOK) focus_->pressFocusedButton();
            }
            return 0;
        case WM_SYSCOMMAND:
            if (systemMenuCommand(wParam)) return 0;
            break;
        case WM_INITMENUPOPUP:
            systemMenuOpening();
            break;
        case WM_HOTKEY:
            if (wParam != static_cast<WPARAM>(kHotkeyId)) break;
            form_->unkeyByHotkey();
            return 0;
        case WM_TIMER:
            if (wParam != kTimerId) break;
            form_->transmitTimerFired();
            return 0;
        case WM_NEXTDLGCTL:
            focus_->moveTo(wParam, lParam);
            return 0;
        case FocusTracker::kRecheckMessage:
            focus_->recheck();
            return 0;
        case WM_ACTIVATE:
            if (focus_->activated(wParam)) return 0;
            break;
        case WM_SETFOCUS:
            focus_->restore();
            return 0;
        case kCreateTooltipsMessage:
            createTooltips();
            return 0;
        case WM_GETMINMAXINFO:
            keepDesignedSize(*reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_SIZE:
            // A maximize that came all the same is undone once the move that made it is over.
            if (wParam == SIZE_MAXIMIZED) PostMessageW(hwnd_, kUnmaximizeMessage, 0, 0);
            break;
        case kUnmaximizeMessage:
            if (IsZoomed(hwnd_) != FALSE) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
            return 0;
        case WM_GETDPISCALEDSIZE:
            *reinterpret_cast<SIZE*>(lParam) = scaledSize(static_cast<int>(LOWORD(wParam)));
            return TRUE;
        case WM_DPICHANGED:
            dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            closeRequested();
            return 0;
        case WM_ENDSESSION:
            // The process may end right after this message without the window being destroyed. The
            // Restart Manager (ENDSESSION_CLOSEAPP) wants the program itself gone, as a close does.
            if (wParam == FALSE) return 0;
            form_->sessionEnding();
            if ((lParam & ENDSESSION_CLOSEAPP) != 0) closeRequested();
            return 0;
        case WM_DEVICECHANGE:
            deviceChanged(wParam, lParam);
            return TRUE;
        case WM_POWERBROADCAST:
            // The radio is unkeyed and the port let go of before the machine sleeps (Windows waits
            // about two seconds); after it wakes, the port is opened afresh. Every wake brings
            // PBT_APMRESUMEAUTOMATIC; one that a user made brings PBT_APMRESUMESUSPEND after it.
            if (wParam == PBT_APMSUSPEND) form_->suspending();
            if (wParam == PBT_APMRESUMEAUTOMATIC) form_->resumed(false);
            if (wParam == PBT_APMRESUMESUSPEND) form_->resumed(true);
            return TRUE;
        case WM_DESTROY:
            destroyed();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// A control's notification, as MainForm's event. What the program's own writing to a control makes
// it report is no input; only the settings box losing the focus counts whoever caused it, as
// disabling the box takes the focus from it.
void MainWindow::command(WPARAM wParam, LPARAM lParam) noexcept {
    const auto id = static_cast<Id>(LOWORD(wParam));
    const WORD code = HIWORD(wParam);
    const auto from = reinterpret_cast<HWND>(lParam);
    if (id < kPortList || id > kIndicator || control(id) != from) return;
    if (from == writing_ && !(id == kLineSettingsBox && code == EN_KILLFOCUS)) return;
    try {
        switch (id) {
            case kIndicator:
                if (code == STN_CLICKED) form_->indicatorClicked();
                break;
            case kPanelButton:
                if (code == BN_CLICKED) form_->panelButtonClicked();
                break;
            case kRunMinimizedBox:
                if (code == BN_CLICKED) form_->checkBoxClicked(CheckBox::RunMinimized);
                break;
            case kOnTopBox:
                if (code == BN_CLICKED) form_->checkBoxClicked(CheckBox::OnTop);
                break;
            case kPortList:
                portListNotified(code);
                break;
            case kLineSettingsBox:
                if (code == EN_CHANGE) form_->lineSettingsEdited(windowText(from));
                if (code == EN_KILLFOCUS) focus_->watchedLostFocus();
                break;
            default:
                break;
        }
    } catch (...) {
        // A reaction's failure ends it; the window goes on. A failed toggle (port closed, bytes not
        // taken) keeps the indicator's colour, and the beep tells that the click did not key the radio.
        if (id == kIndicator) MessageBeep(MB_OK);
    }
}

void MainWindow::closeRequested() {
    try {
        form_->unload();
    } catch (...) {
        // The operator asked to close: the window goes even if the unload failed.
    }
    if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

// The form is told first, so that a radio left keyed is unkeyed while the window still shows it;
// from then on the window answers nothing more and shows nothing more.
void MainWindow::destroyed() {
    form_->windowDestroyed();
    unregisterHotkey();
    if (tooltips_ != nullptr) DestroyWindow(tooltips_);
    tooltips_ = nullptr;
    focus_.reset();  // no more rechecks, nothing watched
    form_ = nullptr;
    controls_ = {};
    if (quitOnDestroy_) PostQuitMessage(0);
}

HWND MainWindow::window(const char* what) const {
    if (hwnd_ == nullptr) throwError(ERROR_INVALID_WINDOW_HANDLE, what);
    return hwnd_;
}

}  // namespace zelt::win32
