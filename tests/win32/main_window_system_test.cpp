// What Windows and the host tell MainWindow reaches the form: the host's message, devices, sleep,
// closing, a maximize; and what the form asks of the system once the window is gone fails.
#include <windows.h>

#include <dbt.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/window.h"
#include "common/failure.h"
#include "common/win32_scoped.h"
#include "common/win32_text.h"
#include "tests/win32/main_window_fixture.h"
#include "ui/win32_accessible.h"
#include "ui/win32_cues.h"

namespace zelt::testing {
namespace {

using MainWindowSystemTest = MainWindowTest;

TEST_F(MainWindowSystemTest, TheHostMessageKeysTheRadioAndClosesTheWindow) {
    form->load();
    ASSERT_NE(hostMessage, 0U);
    SendMessageW(hwnd, hostMessage, 0, 1);
    ASSERT_EQ(port.written.size(), 1U);
    EXPECT_EQ(port.written[0].second, std::string("\0\0\0\x01\x0F", 5));
    EXPECT_EQ(indicatorColour(), kRed);

    // Other messages still reach the window's own procedure.
    EXPECT_EQ(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0), 14);

    // The radio left keyed is told once on the way out, before any window is taken down, and the
    // port is let go.
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);  // DestroyWindow hides a window before anything else
    bool shownAtTheUnkey = false;
    port.onWrite = [&] { shownAtTheUnkey = IsWindowVisible(hwnd) != FALSE; };
    SendMessageW(hwnd, hostMessage, 1, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(shownAtTheUnkey);
    ASSERT_EQ(port.written.size(), 2U);
    EXPECT_EQ(port.written[1].second, std::string("\0\0\0\0\x0F", 5));
    EXPECT_FALSE(port.isOpenNow());
}

// A device event as Windows broadcasts it: a DEV_BROADCAST_PORT whose size covers `counted`
// characters of the name (and no terminator when that cuts it short).
std::vector<unsigned char> portBroadcast(const std::wstring& name, std::size_t counted,
                                         DWORD type = DBT_DEVTYP_PORT) {
    constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
    std::vector<unsigned char> buffer(kNameOffset + (name.size() + 1) * sizeof(wchar_t));
    auto* port = reinterpret_cast<DEV_BROADCAST_PORT_W*>(buffer.data());
    port->dbcp_size = static_cast<DWORD>(kNameOffset + counted * sizeof(wchar_t));
    port->dbcp_devicetype = type;
    std::copy(name.begin(), name.end(), port->dbcp_name);
    return buffer;
}

TEST_F(MainWindowSystemTest, DeviceEventsFollowThePortTheyNameAndReadNoFurtherThanTheirSize) {
    form->load();
    const auto tell = [this](WPARAM event, std::vector<unsigned char> data) {
        EXPECT_EQ(SendMessageW(hwnd, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(data.data())), TRUE);
    };
    tell(DBT_DEVICEREMOVECOMPLETE, portBroadcast(L"COM2", 5));
    tell(DBT_DEVICEREMOVECOMPLETE, portBroadcast(L"COM1", 5, DBT_DEVTYP_VOLUME));
    tell(DBT_DEVICEREMOVECOMPLETE, portBroadcast(L"COM1", 0));
    EXPECT_TRUE(port.isOpenNow());
    tell(DBT_DEVICEREMOVECOMPLETE, portBroadcast(L"COM1", 5));
    EXPECT_FALSE(port.isOpenNow());
    // "COM12" counted as four characters, without its terminator, names COM1.
    tell(DBT_DEVICEARRIVAL, portBroadcast(L"COM12", 4));
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(port.number(), 1);
    // A port of another name (a modem, say) makes the port answer for itself, as any change does.
    port.pullOut(1);
    tell(DBT_DEVICEARRIVAL, portBroadcast(L"Standard 28800 bps Modem", 25));
    EXPECT_FALSE(port.isOpenNow());
    port.present.insert(1);
    EXPECT_EQ(SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0), TRUE);
    EXPECT_TRUE(port.isOpenNow());
}

TEST_F(MainWindowSystemTest, SleepUnkeysAndLetsGoOfThePortBeforeTheMessageReturns) {
    form->load();
    SendMessageW(hwnd, hostMessage, 0, 1);
    EXPECT_EQ(SendMessageW(hwnd, WM_POWERBROADCAST, PBT_APMSUSPEND, 0), TRUE);
    ASSERT_EQ(port.written.size(), 2U);
    EXPECT_EQ(port.written[1].second, std::string("\0\0\0\0\x0F", 5));
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_EQ(indicatorColour(), kGreen);
    EXPECT_EQ(SendMessageW(hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0), TRUE);
    EXPECT_TRUE(port.isOpenNow());
}

TEST_F(MainWindowSystemTest, ClosingTheWindowUnloadsTheForm) {
    form->load();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(port.isOpenNow());
}

TEST_F(MainWindowSystemTest, AMaximizedLaunchShowsTheWindowNormal) {
    form->load();
    window.showFirst(SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_FALSE(IsZoomed(hwnd));
}

// However a maximize comes (a launcher's show command replaces the first show with one), the window
// keeps the size and place the program gave it, is restored, and the panel still opens in full.
TEST_F(MainWindowSystemTest, AMaximizeKeepsTheDesignedSizeAndIsUndone) {
    form->load();
    RECT designed{};
    GetWindowRect(hwnd, &designed);
    ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    RECT shown{};
    GetWindowRect(hwnd, &shown);
    EXPECT_EQ(shown.right - shown.left, designed.right - designed.left);
    EXPECT_EQ(shown.bottom - shown.top, designed.bottom - designed.top);
    pump();
    EXPECT_FALSE(IsZoomed(hwnd));
    GetWindowRect(hwnd, &shown);
    EXPECT_TRUE(EqualRect(&shown, &designed));

    click(win32::MainWindow::kPanelButton);
    EXPECT_EQ(clientWidth(), 257 + layout::twipsToPixels(form->frameWidth(), 96));
}

// The timer and the hotkey belong to the window: once it is gone, asking for them fails, rather
// than giving the thread a timer or a hotkey of its own.
TEST_F(MainWindowSystemTest, ATimerOrHotkeyAskedForOnceTheWindowIsGoneFails) {
    window.startTimer(60000);
    window.stopTimer();
    DestroyWindow(hwnd);
    pump();
    EXPECT_THROW(window.startTimer(1000), Failure);
    EXPECT_THROW(window.registerHotkey(HotkeyRegistration{0x4000, VK_F9}), Failure);
    EXPECT_THROW(window.setOuterWidth(1185), Failure);
    window.stopTimer();
    window.unregisterHotkey();
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
}

// A thread that something put into the multithreaded apartment first refuses the window's
// single-threaded one; the refusal names its code. A fresh thread joins.
TEST(ApartmentTest, AThreadAlreadyInTheMultithreadedApartmentRefusesWithItsCode) {
    std::string joined = "(not run)";
    std::string refused;
    std::thread([&] {
        {
            const win32::Apartment apartment;
            joined = apartment.refusal();
        }
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return;
        {
            const win32::Apartment apartment;
            refused = apartment.refusal();
        }
        CoUninitialize();
    }).join();
    EXPECT_EQ(joined, "");
    EXPECT_NE(refused.find("(HRESULT 0x80010106)"), std::string::npos) << refused;
    // Every COM code is written alike, eight digits in capitals, as Microsoft's pages list them.
    EXPECT_EQ(win32::hresultText(static_cast<HRESULT>(0x8000FFFFU)), "HRESULT 0x8000FFFF");
    EXPECT_EQ(win32::hresultText(S_FALSE), "HRESULT 0x00000001");
}

// This process's threads, as the system lists them.
int threadCount() {
    const win32::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more != FALSE;
         more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    return count;
}

// The sound's player is started by the first cue, not with the window: a thread started at
// start-up costs it milliseconds under Wine. (The player's own PlaySound may start threads of the
// system's, so only the rise is counted.)
TEST(CueSoundTest, ThePlayerStartsWithTheFirstCue) {
    const int before = threadCount();
    win32::CueSound sound;
    EXPECT_EQ(threadCount(), before);
    sound.play(std::vector<std::uint8_t>(16, 0));
    EXPECT_GT(threadCount(), before);
}

}  // namespace
}  // namespace zelt::testing
