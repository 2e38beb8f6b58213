#include "ui/win32_window_system.h"

#include <utility>

#include "common/failure.h"
#include "ui/layout.h"
#include "ui/win32_dpi.h"

namespace zelt::win32 {
namespace {

[[noreturn]] void fail(const char* what) {
    const DWORD error = GetLastError();
    throw Failure(error != 0 ? static_cast<std::int32_t>(error) : failure_code::kUnexpected, what);
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(HWND window, Hook hook) : window_(window), hook_(std::move(hook)) {}

std::uint32_t Win32WindowSystem::registerMessage(const std::string& name) {
    return RegisterWindowMessageA(name.c_str());
}

std::uintptr_t Win32WindowSystem::hookWindow() {
    return hook_ ? hook_(window_) : 0;
}

RECT Win32WindowSystem::normalRect() const {
    RECT rect{};
    if (IsIconic(window_)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(window_, &placement)) fail("GetWindowPlacement");
        rect = placement.rcNormalPosition;
    } else if (!GetWindowRect(window_, &rect)) {
        fail("GetWindowRect");
    }
    return rect;
}

float Win32WindowSystem::clientWidth() {
    const int dpi = windowDpi(window_);
    if (IsIconic(window_)) {
        const RECT normal = normalRect();
        return layout::pixelsToTwips(normal.right - normal.left - frameSize(window_, dpi).cx, dpi);
    }
    RECT client{};
    if (!GetClientRect(window_, &client)) fail("GetClientRect");
    return layout::pixelsToTwips(client.right - client.left, dpi);
}

float Win32WindowSystem::outerWidth() {
    const RECT normal = normalRect();
    return layout::pixelsToTwips(normal.right - normal.left, windowDpi(window_));
}

void Win32WindowSystem::setOuterWidth(float twips) {
    const int pixels = layout::twipsToPixels(twips, windowDpi(window_));
    if (IsIconic(window_)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(window_, &placement)) fail("GetWindowPlacement");
        placement.rcNormalPosition.right = placement.rcNormalPosition.left + pixels;
        placement.showCmd = SW_SHOWMINNOACTIVE;  // stay minimized, and leave the focus where it is
        if (!SetWindowPlacement(window_, &placement)) fail("SetWindowPlacement");
        return;
    }
    RECT outer{};
    if (!GetWindowRect(window_, &outer)) fail("GetWindowRect");
    if (!SetWindowPos(window_, nullptr, 0, 0, pixels, outer.bottom - outer.top,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        fail("SetWindowPos");
    }
}

void Win32WindowSystem::setMinimized() {
    if (!shown_) {
        startMinimized_ = true;  // taken at the first show
        return;
    }
    ShowWindow(window_, SW_MINIMIZE);
}

void Win32WindowSystem::setWindowPos(std::intptr_t insertAfter, std::uint32_t flags) {
    SetWindowPos(window_, reinterpret_cast<HWND>(insertAfter), 0, 0, 0, 0, flags);
}

void Win32WindowSystem::destroy() {
    if (!DestroyWindow(window_)) fail("DestroyWindow");
}

void Win32WindowSystem::showFirst(int showCommand) {
    shown_ = true;
    ShowWindow(window_, startMinimized_ ? SW_SHOWMINNOACTIVE : showCommand);
    UpdateWindow(window_);
}

}  // namespace zelt::win32
