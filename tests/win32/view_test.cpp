#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "app/main_form.h"
#include "app/win32_form_view.h"
#include "app/win32_form_window.h"
#include "common/event_log.h"
#include "common/win32_text.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_operator_ui.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_settings_store.h"
#include "fakes/fake_window_system.h"
#include "hostlink/host_messages.h"
#include "hostlink/win32_host_link.h"
#include "ui/layout.h"
#include "ui/win32_dpi.h"
#include "ui/win32_indicator.h"
#include "ui/win32_text.h"
#include "ui/win32_window_system.h"

namespace zelt {
namespace {

using win32::FormView;

// A control's place in the form's client area, in pixels.
struct Place {
    long left, top, width, height;
    bool operator==(const Place&) const = default;
};

void PrintTo(const Place& p, std::ostream* out) {
    *out << "{" << p.left << ", " << p.top << ", " << p.width << ", " << p.height << "}";
}

// MainForm on a real window and real controls, with the port, the store and the message box faked.
class ViewTest : public ::testing::Test {
  protected:
    testing::CallLog log;
    testing::FakeSerialPort port{log};
    testing::FakeSettingsStore store{log};
    testing::FakeMessageDialog messages{log};
    testing::FakeClock clock;
    EventLog events{clock};
    testing::FakeTimer timer{log};
    testing::FakeOperatorUi operatorUi{log};
    HostMessages hostMessages;
    std::unique_ptr<win32::Win32HostLink> hostLink;
    win32::FormWindow window;
    HWND hwnd = nullptr;
    std::unique_ptr<win32::Win32WindowSystem> windowSystem;
    std::unique_ptr<MainForm> form;

    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        win32::FormWindow::registerClass(instance);
        hwnd = window.create(instance);
        // Wine without an X display (and no null driver chosen) cannot make windows at all.
        if (hwnd == nullptr) GTEST_SKIP() << "no window can be created here (no display?)";
        window.setQuitOnDestroy(false);
        windowSystem = std::make_unique<win32::Win32WindowSystem>(hwnd);
        hostLink = std::make_unique<win32::Win32HostLink>(hwnd, hostMessages);
        form = std::make_unique<MainForm>(
            MainForm::Platform{port, store, *windowSystem, messages, *hostLink, events, timer, operatorUi});
        hostMessages.onRequest = [this](std::int32_t request, std::int32_t state) {
            form->ptt(request, state);
        };
        window.attach(*form);
        if (win32::windowDpi(hwnd) != 96) GTEST_SKIP() << "the pixel checks assume 96 dpi";
    }

    void TearDown() override {
        if (hwnd != nullptr && IsWindow(hwnd)) DestroyWindow(hwnd);
        pump();
    }

    HWND control(FormView::Id id) const { return window.view()->control(id); }

    Place placeOf(FormView::Id id) const {
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

    static void pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    void notify(FormView::Id id, WORD code) {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control(id)));
    }
};

TEST_F(ViewTest, ControlsSitAtTheirDesignedPlacesInPixels) {
    EXPECT_EQ(placeOf(FormView::kPortList), (Place{104, 16, 81, 21}));
    EXPECT_EQ(placeOf(FormView::kLineSettingsBox), (Place{104, 56, 153, 19}));
    EXPECT_EQ(placeOf(FormView::kPortLabel), (Place{104, 0, 46, 13}));
    EXPECT_EQ(placeOf(FormView::kSettingsLabel), (Place{104, 40, 101, 13}));
    EXPECT_EQ(placeOf(FormView::kRunMinimizedBox), (Place{104, 80, 89, 17}));
    EXPECT_EQ(placeOf(FormView::kPanelButton), (Place{7, 72, 65, 25}));
    EXPECT_EQ(placeOf(FormView::kOnTopBox), (Place{208, 80, 41, 17}));
    EXPECT_EQ(placeOf(FormView::kIndicatorTarget), (Place{8, 24, 57, 33}));
    EXPECT_EQ(placeOf(FormView::kIndicator), (Place{19, 16, 41, 33}));
}

TEST_F(ViewTest, TheWindowIsBuiltAsDesignedBeforeStartUp) {
    EXPECT_EQ(win32::windowText(hwnd), "DALMOR ZELT V3");
    EXPECT_FALSE(IsWindowVisible(hwnd));
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 267);   // 4005 twips
    EXPECT_EQ(client.bottom, 107);  // 1605 twips

    EXPECT_EQ(win32::windowText(control(FormView::kPortLabel)), "Com &Port:");
    EXPECT_EQ(win32::windowText(control(FormView::kSettingsLabel)), "&Settings: (9600,n,8,1)");
    EXPECT_EQ(win32::windowText(control(FormView::kRunMinimizedBox)), "Run Mi&nimized");
    EXPECT_EQ(win32::windowText(control(FormView::kPanelButton)), "&More>>");
    EXPECT_EQ(win32::windowText(control(FormView::kOnTopBox)), "&Top");
    EXPECT_EQ(win32::windowText(control(FormView::kLineSettingsBox)), "lineSettingsBox");

    HWND combo = control(FormView::kPortList);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
        wchar_t item[16] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(win32::toUtf8(item), "COM" + std::to_string(i + 1));
    }
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);

    EXPECT_FALSE(IsWindowEnabled(control(FormView::kPortList)));
    EXPECT_FALSE(IsWindowEnabled(control(FormView::kLineSettingsBox)));
    EXPECT_FALSE(IsWindowEnabled(control(FormView::kRunMinimizedBox)));
    EXPECT_TRUE(IsWindowEnabled(control(FormView::kOnTopBox)));
    EXPECT_TRUE(IsWindowEnabled(control(FormView::kPanelButton)));
    EXPECT_EQ(win32::indicatorColor(control(FormView::kIndicator)), kGreen);
}

TEST_F(ViewTest, TheControlsTakeTheFocusInTabOrder) {
    // Only the enabled tab stops count: panelButton, then onTopBox (beyond the collapsed edge).
    HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    EXPECT_EQ(first, control(FormView::kPanelButton));
    EXPECT_EQ(GetNextDlgTabItem(hwnd, first, FALSE), control(FormView::kOnTopBox));

    SendMessageW(control(FormView::kPanelButton), BM_CLICK, 0, 0);
    HWND at = control(FormView::kPortList);
    for (FormView::Id next : {FormView::kLineSettingsBox, FormView::kRunMinimizedBox, FormView::kPanelButton,
                              FormView::kOnTopBox, FormView::kPortList}) {
        at = GetNextDlgTabItem(hwnd, at, FALSE);
        EXPECT_EQ(at, control(next)) << next;
    }
}

TEST_F(ViewTest, StartUpCollapsesTheWindowAndLaysTheClickTargetOverTheIndicator) {
    form->load();
    EXPECT_EQ(clientWidth(), 79);  // 1185 twips
    EXPECT_GT(form->frameWidth(), 0.0F);
    EXPECT_EQ(placeOf(FormView::kIndicatorTarget), placeOf(FormView::kIndicator));
    EXPECT_EQ(win32::windowText(control(FormView::kLineSettingsBox)), "4800,n,8,2");
    EXPECT_EQ(SendMessageW(control(FormView::kPortList), CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(port.portOpen());
}

TEST_F(ViewTest, Command1WidensAndNarrowsTheWindow) {
    form->load();
    const int collapsed = clientWidth();

    SendMessageW(control(FormView::kPanelButton), BM_CLICK, 0, 0);
    EXPECT_EQ(win32::windowText(control(FormView::kPanelButton)), "&Less<<");
    const int frame = layout::twipsToPixels(form->frameWidth(), 96);
    EXPECT_EQ(clientWidth(), 257 + frame);  // lineSettingsBox's right edge plus a frame's width
    for (FormView::Id id :
         {FormView::kPortList, FormView::kLineSettingsBox, FormView::kRunMinimizedBox, FormView::kOnTopBox}) {
        EXPECT_TRUE(IsWindowEnabled(control(id))) << id;
    }

    SendMessageW(control(FormView::kPanelButton), BM_CLICK, 0, 0);
    EXPECT_EQ(win32::windowText(control(FormView::kPanelButton)), "&More>>");
    EXPECT_EQ(clientWidth(), collapsed);
    for (FormView::Id id :
         {FormView::kPortList, FormView::kLineSettingsBox, FormView::kRunMinimizedBox, FormView::kOnTopBox}) {
        EXPECT_FALSE(IsWindowEnabled(control(id))) << id;
    }
}

TEST_F(ViewTest, TextWrittenByTheCoreIsNotEchoedAsAnEdit) {
    int changes = 0;
    auto reaction = form->lineSettingsBox.onChange;
    form->lineSettingsBox.onChange = [&] {
        ++changes;
        reaction();
    };
    form->lineSettingsBox.setText("9600,n,8,1");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(win32::windowText(control(FormView::kLineSettingsBox)), "9600,n,8,1");

    // Typing is one edit per change.
    form->lineSettingsBox.setEnabled(true);
    HWND edit = control(FormView::kLineSettingsBox);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, L'x', 0);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(form->lineSettingsBox.text(), "x");
    SendMessageW(edit, WM_CHAR, L'y', 0);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(form->lineSettingsBox.text(), "xy");
}

TEST_F(ViewTest, ACheckBoxClickTogglesItsValueOnce) {
    HWND top = control(FormView::kOnTopBox);
    SendMessageW(top, BM_CLICK, 0, 0);
    EXPECT_EQ(form->onTopBox.value(), 1);
    EXPECT_EQ(SendMessageW(top, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(store.get("Win", "Top"), "1");
    EXPECT_TRUE((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);

    SendMessageW(top, BM_CLICK, 0, 0);
    EXPECT_EQ(form->onTopBox.value(), 0);
    EXPECT_EQ(SendMessageW(top, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0);

    form->runMinimizedBox.setValue(2);
    EXPECT_EQ(SendMessageW(control(FormView::kRunMinimizedBox), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
}

TEST_F(ViewTest, EachChoiceInThePortListReachesTheModelOnce) {
    int choices = 0;
    auto reaction = form->portList.onClick;
    form->portList.onClick = [&] {
        ++choices;
        reaction();
    };
    form->portList.setEnabled(true);
    HWND combo = control(FormView::kPortList);

    // The keyboard on the closed list.
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(form->portList.listIndex(), 0);
    EXPECT_EQ(choices, 1);
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(form->portList.listIndex(), 1);
    EXPECT_EQ(choices, 2);

    // A pick from the open list, reported both ways round.
    notify(FormView::kPortList, CBN_DROPDOWN);
    SendMessageW(combo, CB_SETCURSEL, 3, 0);
    notify(FormView::kPortList, CBN_SELENDOK);
    notify(FormView::kPortList, CBN_SELCHANGE);
    EXPECT_EQ(form->portList.listIndex(), 3);
    EXPECT_EQ(choices, 3);

    notify(FormView::kPortList, CBN_DROPDOWN);
    SendMessageW(combo, CB_SETCURSEL, 2, 0);
    notify(FormView::kPortList, CBN_SELCHANGE);
    notify(FormView::kPortList, CBN_SELENDOK);
    EXPECT_EQ(form->portList.listIndex(), 2);
    EXPECT_EQ(choices, 4);

    // The same entry picked again is a choice too.
    notify(FormView::kPortList, CBN_DROPDOWN);
    notify(FormView::kPortList, CBN_SELENDOK);
    EXPECT_EQ(choices, 5);

    // Cancelling shows the model's entry again.
    notify(FormView::kPortList, CBN_DROPDOWN);
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    notify(FormView::kPortList, CBN_SELENDCANCEL);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(choices, 5);

    // The core choosing is not echoed back.
    form->portList.setListIndex(1);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(choices, 6);
}

TEST_F(ViewTest, AClickOnTheIndicatorTogglesTransmit) {
    form->load();
    HWND target = control(FormView::kIndicatorTarget);
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 15));
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(20, 15));
    ASSERT_EQ(port.written.size(), 1U);
    EXPECT_EQ(port.written[0].second, std::string("\0\0\0\x01\x0F", 5));
    EXPECT_EQ(win32::indicatorColor(control(FormView::kIndicator)), kRed);

    // A press dragged off the target before release is no click.
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 15));
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(200, 15));
    EXPECT_EQ(port.written.size(), 1U);

    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(port.written.size(), 2U);
    EXPECT_EQ(port.written[1].second, std::string("\0\0\0\0\x0F", 5));
    EXPECT_EQ(win32::indicatorColor(control(FormView::kIndicator)), kGreen);
}

TEST_F(ViewTest, AFailedWriteOnAClickStaysInsideTheWindow) {
    // The radio's port is absent: the one open attempt fails, nothing is written, the colour stays.
    port.present.erase(1);
    HWND target = control(FormView::kIndicatorTarget);
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(win32::indicatorColor(control(FormView::kIndicator)), kGreen);
    EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(ViewTest, TheHostMessageKeysTheRadioAndClosesTheWindow) {
    form->load();
    ASSERT_NE(hostMessages.message(), 0U);
    SendMessageW(hwnd, hostMessages.message(), 0, 1);
    ASSERT_EQ(port.written.size(), 1U);
    EXPECT_EQ(port.written[0].second, std::string("\0\0\0\x01\x0F", 5));
    EXPECT_EQ(win32::indicatorColor(control(FormView::kIndicator)), kRed);

    // Other messages still reach the window's own procedure.
    EXPECT_EQ(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0), 14);

    SendMessageW(hwnd, hostMessages.message(), 1, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    // The radio left keyed is told once on the way out, and the port is let go.
    ASSERT_EQ(port.written.size(), 2U);
    EXPECT_EQ(port.written[1].second, std::string("\0\0\0\0\x0F", 5));
    EXPECT_FALSE(port.portOpen());
}

TEST_F(ViewTest, ClosingTheWindowUnloadsTheForm) {
    form->load();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(port.portOpen());
}

TEST_F(ViewTest, ANewDpiLaysTheWindowOutAgainKeepingItsWidthInTwips) {
    form->load();
    RECT suggested{};
    GetWindowRect(hwnd, &suggested);
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window.view()->dpi(), 192);
    // The system has not really moved the window, so its frame is still the old one: the outer
    // size tells what the view asked for.
    const SIZE frame = win32::frameSize(hwnd, 192);
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.right - outer.left, 158 + frame.cx);  // 1185 twips
    EXPECT_EQ(outer.bottom - outer.top, 214 + frame.cy);  // 1605 twips
    EXPECT_EQ(placeOf(FormView::kPortList), (Place{208, 32, 162, 42}));
    EXPECT_EQ(placeOf(FormView::kPanelButton), (Place{14, 144, 130, 50}));
    EXPECT_EQ(placeOf(FormView::kIndicatorTarget), (Place{38, 32, 82, 66}));
    EXPECT_EQ(placeOf(FormView::kIndicator), (Place{38, 32, 82, 66}));
}

TEST_F(ViewTest, AStoredTopPutsTheWindowOnTopBeforeItIsShown) {
    store.put("Win", "Top", "1");
    form->load();
    EXPECT_TRUE((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    EXPECT_EQ(SendMessageW(control(FormView::kOnTopBox), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ViewTest, AMinimizedStartKeepsTheNormalWidths) {
    store.put("Win", "Min", "1");
    form->load();
    windowSystem->showFirst(SW_SHOWNORMAL);
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_FLOAT_EQ(windowSystem->clientWidth(), 1185.0F);
    EXPECT_FLOAT_EQ(windowSystem->outerWidth(), 1185.0F + form->frameWidth());

    SendMessageW(control(FormView::kPanelButton), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_FLOAT_EQ(windowSystem->clientWidth(), 3855.0F + form->frameWidth());

    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ(clientWidth(), layout::twipsToPixels(3855.0F + form->frameWidth(), 96));
}

}  // namespace
}  // namespace zelt
