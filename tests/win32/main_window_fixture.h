#pragma once

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "app/main_form.h"
#include "app/win32_main_window.h"
#include "common/event_log.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_settings_store.h"
#include "hostlink/host_messages.h"
#include "ui/win32_dpi.h"

namespace zelt::testing {

// A control's place in the form's client area, in pixels.
struct Place {
    long left, top, width, height;
    bool operator==(const Place&) const = default;
};

inline void PrintTo(const Place& p, std::ostream* out) {
    *out << "{" << p.left << ", " << p.top << ", " << p.width << ", " << p.height << "}";
}

inline constexpr COLORREF kGreen = 0x0000FF00;
inline constexpr COLORREF kRed = 0x000000FF;

// Runs every message waiting in this thread's queue.
inline void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// MainForm on the real window with its real controls; the port and the store are faked.
class MainWindowTest : public ::testing::Test {
  protected:
    using Id = win32::MainWindow::Id;

    CallLog log;
    FakeSerialPort port{log};
    FakeSettingsStore store{log};
    FakeClock clock;
    EventLog events{clock};
    win32::MainWindow window{events};
    HWND hwnd = nullptr;
    std::unique_ptr<MainForm> form;
    UINT hostMessage = 0;  // the host's message, registered as a host registers it

    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        win32::MainWindow::registerClass(instance);
        hwnd = window.create(instance);
        // Wine without an X display (and no null driver chosen) cannot make windows at all.
        if (hwnd == nullptr) GTEST_SKIP() << "no window can be created here (no display?)";
        window.setQuitOnDestroy(false);
        form = std::make_unique<MainForm>(MainForm::Platform{port, store, window, events});
        window.attach(*form);
        hostMessage = RegisterWindowMessageA(kPttMessageName);
        if (window.dpi() != 96) GTEST_SKIP() << "the pixel checks assume 96 dpi";
    }

    void TearDown() override {
        if (hwnd != nullptr && IsWindow(hwnd)) DestroyWindow(hwnd);
        pump();
    }

    HWND control(Id id) const { return window.control(id); }

    Place placeOf(Id id) const {
        RECT rect{};
        GetWindowRect(control(id), &rect);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
        return Place{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    }

    int clientWidth() const {
        RECT client{};
        GetClientRect(hwnd, &client);
        return client.right;
    }

    // What Windows suggests on a move to a screen of this dpi: the size the window asks for, a
    // little away from where it is.
    RECT suggestedRect(int dpi) const {
        SIZE size{};
        EXPECT_TRUE(SendMessageW(hwnd, WM_GETDPISCALEDSIZE, static_cast<WPARAM>(dpi),
                                 reinterpret_cast<LPARAM>(&size)));
        RECT outer{};
        GetWindowRect(hwnd, &outer);
        return RECT{outer.left + 40, outer.top + 30, outer.left + 40 + size.cx, outer.top + 30 + size.cy};
    }

    void moveToDpi(int dpi) {
        const RECT suggested = suggestedRect(dpi);
        SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }

    // A control's notification, as the control sends it to the window.
    void notify(Id id, WORD code) {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control(id)));
    }

    void click(Id id) { SendMessageW(control(id), BM_CLICK, 0, 0); }

    // A press on the indicator at (x, y), let go at (toX, y).
    void pressTarget(int x, int y, int toX) {
        HWND target = control(win32::MainWindow::kIndicator);
        SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(toX, y));
    }

    // The colour painted at the indicator's centre, as the operator sees it: the window is shown
    // (without taking the focus) and the indicator painted now.
    COLORREF indicatorColour() {
        HWND indicator = control(win32::MainWindow::kIndicator);
        if (IsWindowVisible(hwnd) == FALSE) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        RedrawWindow(indicator, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT client{};
        GetClientRect(indicator, &client);
        HDC dc = GetDC(indicator);
        const COLORREF colour = GetPixel(dc, client.right / 2, client.bottom / 2);
        ReleaseDC(indicator, dc);
        return colour;
    }

    // How many of the fakes' calls so far begin so: "save(Com/ComPort=".
    long callsStartingWith(const std::string& prefix) const {
        return std::count_if(log.calls.begin(), log.calls.end(),
                             [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
    }
};

}  // namespace zelt::testing
