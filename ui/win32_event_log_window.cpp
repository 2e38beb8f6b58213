#include "ui/win32_event_log_window.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/win32_scoped.h"
#include "common/win32_text.h"
#include "ui/win32_dpi.h"
#include "ui/win32_owned_window.h"

namespace zelt::win32 {
namespace {

// Sizes in pixels at 96 dpi, as a dialog of the system's would have them.
constexpr int kMargin = 7;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kGap = 6;
constexpr SIZE kFirstSize{640, 320};
constexpr SIZE kSmallest{260, 140};

// The list catches up at most this often, so that a flood of requests pays for no drawing of its own.
constexpr UINT kRefreshMilliseconds = 100;
constexpr UINT_PTR kRefreshTimer = 1;

int scaled(int pixels, int dpi) {
    return MulDiv(pixels, dpi, USER_DEFAULT_SCREEN_DPI);
}

void registerClassOnce(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = EventLogWindow::kClassName;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throwLastError("RegisterClassExW");
    }
}

// Just below the main window, so that the two are seen together, moved up or left as far as needed
// to stay on the main window's monitor.
RECT firstPlace(HWND owner, SIZE size) {
    RECT ownerRect{};
    GetWindowRect(owner, &ownerRect);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) area = monitor.rcWork;
    const LONG left = std::max(area.left, std::min(ownerRect.left, area.right - size.cx));
    const LONG top = std::max(area.top, std::min(ownerRect.bottom, area.bottom - size.cy));
    return RECT{left, top, left + size.cx, top + size.cy};
}

// The text as Unicode text, in place of what the clipboard held; throws Failure if it cannot be opened.
void copyToClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) throwLastError("OpenClipboard");
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (void* target = memory != nullptr ? GlobalLock(memory) : nullptr) {
        CopyMemory(target, text.c_str(), bytes);
        GlobalUnlock(memory);
        // The clipboard owns the memory once it took it.
        if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
    } else if (memory != nullptr) {
        GlobalFree(memory);
    }
    CloseClipboard();
}

}  // namespace

void EventLogWindow::show(int ownerDpi) {
    if (hwnd_ == nullptr) create(ownerDpi);
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void EventLogWindow::create(int ownerDpi) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE));
    registerClassOnce(instance, windowProc);
    dpi_ = ownerDpi;
    const RECT place = firstPlace(owner_, SIZE{scaled(kFirstSize.cx, dpi_), scaled(kFirstSize.cy, dpi_)});
    // Owned by the main window: above it, never in the taskbar of its own, gone when zelt ends.
    HWND made =
        CreateWindowExW(0, kClassName, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, place.left, place.top,
                        place.right - place.left, place.bottom - place.top, owner_, nullptr, instance, this);
    if (made == nullptr) throwLastError("CreateWindowExW");
    auto make = [&](DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, Id id) {
        HWND control =
            CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 0, 0,
                            made, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (control == nullptr) throwLastError("CreateWindowExW");
        return control;
    };
    try {
        dpi_ = windowDpi(hwnd_);
        list_ = make(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                     WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL, kList);
        copyButton_ = make(0, L"BUTTON", L"Copy", BS_PUSHBUTTON, kCopy);
        clearButton_ = make(0, L"BUTTON", L"Clear", BS_PUSHBUTTON, kClear);
        applyFont();
        layOut();
        // The events so far, then the new ones as they come.
        shown_ = log_.added() - log_.size();
        refresh();
        log_.addListener(*this);
    } catch (...) {
        DestroyWindow(made);  // half a window is no use; the next show starts afresh
        throw;
    }
}

void EventLogWindow::applyFont() {
    // The old font goes once no control uses it any more.
    const ScopedFont old = std::exchange(font_, dialogFont(dpi_));
    for (HWND control : {list_, copyButton_, clearButton_}) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }
    // The widths measured in the old font no longer hold; the lines are measured again.
    widestLine_ = 0;
    longestChars_ = 0;
    const int count = static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
    const ScopedGetDC dc(list_);
    const ScopedSelectObject font(dc.get(), font_.get());
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list_, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        const auto length = SendMessageW(list_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        if (length > 0) measure(dc.get(), text.c_str(), static_cast<std::size_t>(length));
    }
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, widestLine_ + scaled(kMargin, dpi_), 0);
}

void EventLogWindow::measure(HDC dc, const wchar_t* line, std::size_t length) {
    SIZE size{};
    if (!GetTextExtentPoint32W(dc, line, static_cast<int>(length), &size)) return;
    widestLine_ = std::max<int>(widestLine_, size.cx);
    longestChars_ = std::max(longestChars_, length);
}

// The list fills the window above a row of buttons at its bottom right.
void EventLogWindow::layOut() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int margin = scaled(kMargin, dpi_);
    const int width = scaled(kButtonWidth, dpi_);
    const int height = scaled(kButtonHeight, dpi_);
    const int buttonsTop = client.bottom - margin - height;
    const int clearLeft = client.right - margin - width;
    const int copyLeft = clearLeft - scaled(kGap, dpi_) - width;
    MoveWindow(list_, margin, margin, std::max<int>(0, client.right - 2 * margin),
               std::max<int>(0, buttonsTop - 2 * margin), TRUE);
    MoveWindow(copyButton_, copyLeft, buttonsTop, width, height, TRUE);
    MoveWindow(clearButton_, clearLeft, buttonsTop, width, height, TRUE);
}

// Adds the events logged since the last refresh, drawn once for all, and scrolls to the newest. The
// list holds what the log holds: once the log is full, each new event pushes out the oldest.
void EventLogWindow::refresh() {
    const std::uint64_t pending = log_.added() - shown_;
    shown_ = log_.added();
    const auto adding = static_cast<std::size_t>(std::min<std::uint64_t>(pending, log_.size()));
    if (adding == 0) return;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    const auto kept = static_cast<std::size_t>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
    const std::size_t dropping =
        std::min(kept, (kept + adding) - std::min(kept + adding, EventLog::kCapacity));
    for (std::size_t i = 0; i < dropping; ++i) SendMessageW(list_, LB_DELETESTRING, 0, 0);
    const ScopedGetDC dc(list_);
    const ScopedSelectObject font(dc.get(), font_.get());
    std::string line;
    for (std::size_t i = log_.size() - adding; i < log_.size(); ++i) {
        line.clear();
        log_.at(i).appendLine(line);
        const std::wstring wide = toUtf16(line);
        SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        // Only a line longer than any measured can widen the list, so only such a line is measured:
        // under Wine, measuring is most of what adding a line costs. (Lines of one length differ in
        // their digits, which the dialog font draws all of one width.)
        if (wide.size() > longestChars_) measure(dc.get(), wide.c_str(), wide.size());
    }
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, widestLine_ + scaled(kMargin, dpi_), 0);
    // Scrolled while not drawn, the list box updates its scroll bar once as drawing comes back on,
    // not twice: under Wine each themed draw of the bar asks the server ~20 times.
    const auto count = SendMessageW(list_, LB_GETCOUNT, 0, 0);
    if (count > 0) SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

// Only noted: the timer's next tick shows it, with every other event logged until then.
void EventLogWindow::eventAdded(const Event& /*event*/) noexcept {
    if (hwnd_ == nullptr || refreshPending_) return;
    refreshPending_ = SetTimer(hwnd_, kRefreshTimer, kRefreshMilliseconds, nullptr) != 0;
    if (!refreshPending_) refreshNow();  // no timer to be had: at once, as before
}

void EventLogWindow::refreshNow() noexcept {
    if (refreshPending_) KillTimer(hwnd_, kRefreshTimer);
    refreshPending_ = false;
    try {
        refresh();
    } catch (...) {
        // Lines that cannot be shown are still in the log, and in Copy.
    }
}

void EventLogWindow::logCleared() noexcept {
    if (hwnd_ == nullptr) return;
    shown_ = log_.added();
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    widestLine_ = 0;
    longestChars_ = 0;
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, 0, 0);
}

void EventLogWindow::destroyed() noexcept {
    log_.removeListener(*this);
    hwnd_ = list_ = copyButton_ = clearButton_ = nullptr;
    refreshPending_ = false;  // the timer went with the window
}

LRESULT CALLBACK EventLogWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return dispatchToOwner(hwnd, message, wParam, lParam, &EventLogWindow::hwnd_, &EventLogWindow::handle);
}

LRESULT EventLogWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) {
                DestroyWindow(hwnd_);  // Escape, as in a dialog
            } else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kCopy) {
                copyToClipboard(hwnd_, toUtf16(log_.text()));
            } else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kClear) {
                log_.clear();
            } else {
                break;
            }
            return 0;
        case WM_TIMER:
            if (wParam != kRefreshTimer) break;
            refreshNow();
            return 0;
        case WM_SIZE:
            if (list_ != nullptr) layOut();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = POINT{scaled(kSmallest.cx, dpi_), scaled(kSmallest.cy, dpi_)};
            return 0;
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            if (list_ != nullptr) applyFont();
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_SETFOCUS:
            if (list_ != nullptr) SetFocus(list_);
            return 0;
        case WM_DESTROY:
            destroyed();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace zelt::win32
