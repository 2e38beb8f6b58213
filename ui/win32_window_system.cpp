#include "ui/win32_window_system.h"

#include "common/win32_failure.h"
#include "ui/layout.h"
#include "ui/win32_dpi.h"

namespace zelt::win32 {

WindowSystem::WindowSystem(HWND window) : window_(window) {}

RECT WindowSystem::normalRect() const {
    RECT rect{};
    if (IsIconic(window_)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(window_, &placement)) throwLastError("GetWindowPlacement");
        rect = placement.rcNormalPosition;
    } else if (!GetWindowRect(window_, &rect)) {
        throwLastError("GetWindowRect");
    }
    return rect;
}

float WindowSystem::clientWidth() {
    const int dpi = windowDpi(window_);
    if (IsIconic(window_)) {
        const RECT normal = normalRect();
        return layout::pixelsToTwips(normal.right - normal.left - frameSize(window_, dpi).cx, dpi);
    }
    RECT client{};
    if (!GetClientRect(window_, &client)) throwLastError("GetClientRect");
    return layout::pixelsToTwips(client.right - client.left, dpi);
}

float WindowSystem::outerWidth() {
    const RECT normal = normalRect();
    return layout::pixelsToTwips(normal.right - normal.left, windowDpi(window_));
}

void WindowSystem::setOuterWidth(float twips) {
    const int pixels = layout::twipsToPixels(twips, windowDpi(window_));
    if (IsIconic(window_)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(window_, &placement)) throwLastError("GetWindowPlacement");
        placement.rcNormalPosition.right = placement.rcNormalPosition.left + pixels;
        placement.showCmd = SW_SHOWMINNOACTIVE;  // stay minimized, and leave the focus where it is
        if (!SetWindowPlacement(window_, &placement)) throwLastError("SetWindowPlacement");
        return;
    }
    RECT outer{};
    if (!GetWindowRect(window_, &outer)) throwLastError("GetWindowRect");
    if (!SetWindowPos(window_, nullptr, 0, 0, pixels, outer.bottom - outer.top,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        throwLastError("SetWindowPos");
    }
}

void WindowSystem::setMinimized() {
    if (!shown_) {
        startMinimized_ = true;  // taken at the first show
        return;
    }
    ShowWindow(window_, SW_MINIMIZE);
}

void WindowSystem::setOnTop(bool onTop) {
    // Place and size stay; the result is ignored, as a window that cannot change band stays put.
    SetWindowPos(window_, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void WindowSystem::destroy() {
    if (!DestroyWindow(window_)) throwLastError("DestroyWindow");
}

void WindowSystem::showFirst(int showCommand) {
    shown_ = true;
    ShowWindow(window_, startMinimized_ ? SW_SHOWMINNOACTIVE : firstShowCommand(showCommand));
    UpdateWindow(window_);
}

// A shortcut set to "Maximized" must not blow the fixed-size window up to the whole screen.
int WindowSystem::firstShowCommand(int launched) {
    return launched == SW_SHOWMAXIMIZED || launched == SW_MAXIMIZE ? SW_SHOWNORMAL : launched;
}

}  // namespace zelt::win32
