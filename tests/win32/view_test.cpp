#include <windows.h>

#include <commctrl.h>
#include <dbt.h>
#include <oleacc.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_form.h"
#include "app/win32_form_view.h"
#include "app/win32_form_window.h"
#include "common/event_log.h"
#include "common/win32_text.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_cues.h"
#include "fakes/fake_operator_ui.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_settings_store.h"
#include "fakes/fake_window_system.h"
#include "hostlink/host_messages.h"
#include "hostlink/win32_host_link.h"
#include "tests/win32/without_optional_functions.h"
#include "ui/layout.h"
#include "ui/win32_apartment.h"
#include "ui/win32_dpi.h"
#include "ui/win32_font.h"
#include "ui/win32_indicator.h"
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
    testing::FakeCueSound sound{log};
    testing::FakeTaskbarButton taskbar{log};
    HostMessages hostMessages;
    std::unique_ptr<win32::HostLink> hostLink;
    win32::FormWindow window;
    HWND hwnd = nullptr;
    std::unique_ptr<win32::WindowSystem> windowSystem;
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
        windowSystem = std::make_unique<win32::WindowSystem>(hwnd);
        hostLink = std::make_unique<win32::HostLink>(hwnd, hostMessages);
        form = std::make_unique<MainForm>(MainForm::Platform{port, store, *windowSystem, messages, *hostLink,
                                                             events, timer, operatorUi, sound, taskbar});
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

    long captionWidth(FormView::Id id) const { return win32::captionExtent(control(id)).cx; }

    // The width a control gives its caption, in pixels at the given dpi: a check box's caption
    // begins after the box and a gap (half a digit, as the systems leave it), a push button's
    // inside an outer and an inner edge on either side.
    long captionRoom(FormView::Id id, int dpi) const {
        HWND hwnd = control(id);
        RECT client{};
        GetClientRect(hwnd, &client);
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
        if (style == BS_3STATE) {
            HDC dc = GetDC(hwnd);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
            INT digit = 0;
            GetCharWidth32W(dc, L'0', L'0', &digit);
            SelectObject(dc, old);
            ReleaseDC(hwnd, dc);
            return client.right - win32::systemMetric(SM_CXMENUCHECK, dpi) - digit / 2;
        }
        if (style == BS_PUSHBUTTON) {
            return client.right - 2 * 2 * win32::systemMetric(SM_CXEDGE, dpi);
        }
        return client.right;
    }

    void notify(FormView::Id id, WORD code) {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control(id)));
    }
};

TEST_F(ViewTest, ControlsSitAtTheirDesignedPlacesInPixels) {
    EXPECT_EQ(placeOf(FormView::kPortList), (Place{104, 16, 81, 21}));
    EXPECT_EQ(placeOf(FormView::kLineSettingsBox), (Place{104, 56, 153, 19}));
    // A label grows to the right when its caption needs more room than its designed width.
    EXPECT_EQ(placeOf(FormView::kPortLabel),
              (Place{104, 0, std::max(46L, captionWidth(FormView::kPortLabel)), 13}));
    EXPECT_EQ(placeOf(FormView::kSettingsLabel),
              (Place{104, 40, std::max(101L, captionWidth(FormView::kSettingsLabel)), 13}));
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
    EXPECT_EQ(win32::windowText(control(FormView::kLineSettingsBox)), "Text1");

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
    // Over the indicator the target is the window hit, even for a search that passes over
    // transparent windows.
    const Place indicator = placeOf(FormView::kIndicator);
    const POINT centre{indicator.left + indicator.width / 2, indicator.top + indicator.height / 2};
    EXPECT_EQ(ChildWindowFromPointEx(hwnd, centre, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT),
              control(FormView::kIndicatorTarget));
    EXPECT_EQ(win32::windowText(control(FormView::kLineSettingsBox)), "4800,n,8,2");
    EXPECT_EQ(SendMessageW(control(FormView::kPortList), CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(port.isOpenNow());
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

// A text property of an accessible object, or "(none)" when it gives none.
std::wstring accessibleText(IAccessible* object,
                            HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    const HRESULT hr = (object->*get)(self, &text);
    std::wstring out = SUCCEEDED(hr) && text != nullptr ? std::wstring(text, SysStringLen(text)) : L"(none)";
    SysFreeString(text);
    return out;
}

// A screen reader keeps the object it was given; after the window is gone it must get no stale
// state from it (and nothing may reach the form that the window belonged to).
TEST_F(ViewTest, TheIndicatorsAccessibleObjectFollowsTheStateAndOutlivesItsWindow) {
    form->load();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IAccessible* object = nullptr;
    ASSERT_EQ(
        AccessibleObjectFromWindow(control(FormView::kIndicatorTarget), static_cast<DWORD>(OBJID_CLIENT),
                                   __uuidof(IAccessible), reinterpret_cast<void**>(&object)),
        S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(accessibleText(object, &IAccessible::get_accName), L"Transmit indicator");
    EXPECT_EQ(accessibleText(object, &IAccessible::get_accValue), L"Receiving");
    SendMessageW(hwnd, hostMessages.message(), 0, 1);
    EXPECT_EQ(accessibleText(object, &IAccessible::get_accValue), L"Transmitting");

    DestroyWindow(hwnd);
    pump();
    EXPECT_NE(accessibleText(object, &IAccessible::get_accValue), L"Transmitting");
    EXPECT_NE(accessibleText(object, &IAccessible::get_accName), L"Transmit indicator");
    object->Release();
    CoUninitialize();
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

TEST_F(ViewTest, AFailedWriteOnAClickStaysInsideTheWindow) {
    // Never loaded and no port present: the open attempt fails, so nothing is written and the
    // colour stays.
    port.present.clear();
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

    // The radio left keyed is told once on the way out, before any window is taken down, and the
    // port is let go.
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);  // DestroyWindow hides a window before anything else
    bool shownAtTheUnkey = false;
    port.onWrite = [&] { shownAtTheUnkey = IsWindowVisible(hwnd) != FALSE; };
    SendMessageW(hwnd, hostMessages.message(), 1, 0);
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

TEST_F(ViewTest, DeviceEventsFollowThePortTheyNameAndReadNoFurtherThanTheirSize) {
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

TEST_F(ViewTest, SleepUnkeysAndLetsGoOfThePortBeforeTheMessageReturns) {
    form->load();
    SendMessageW(hwnd, hostMessages.message(), 0, 1);
    EXPECT_EQ(SendMessageW(hwnd, WM_POWERBROADCAST, PBT_APMSUSPEND, 0), TRUE);
    ASSERT_EQ(port.written.size(), 2U);
    EXPECT_EQ(port.written[1].second, std::string("\0\0\0\0\x0F", 5));
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_EQ(win32::indicatorColor(control(FormView::kIndicator)), kGreen);
    EXPECT_EQ(SendMessageW(hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0), TRUE);
    EXPECT_TRUE(port.isOpenNow());
}

TEST_F(ViewTest, ClosingTheWindowUnloadsTheForm) {
    form->load();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(port.isOpenNow());
}

TEST_F(ViewTest, ANewDpiLaysTheWindowOutAgainKeepingItsWidthInTwips) {
    form->load();
    // As Windows does it: the size the window wants first, then a rectangle of that size
    // somewhere else on the new screen, which the window takes as it is.
    const RECT suggested = suggestedRect(192);
    EXPECT_EQ(suggested.right - suggested.left, 158 + win32::frameSize(hwnd, 192).cx);  // 1185 twips
    EXPECT_EQ(suggested.bottom - suggested.top, 214 + win32::frameSize(hwnd, 192).cy);  // 1605 twips
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window.view()->dpi(), 192);
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.left, suggested.left);
    EXPECT_EQ(outer.top, suggested.top);
    EXPECT_EQ(outer.right, suggested.right);
    EXPECT_EQ(outer.bottom, suggested.bottom);
    EXPECT_EQ(placeOf(FormView::kPortList), (Place{208, 32, 162, 42}));
    EXPECT_EQ(placeOf(FormView::kPanelButton), (Place{14, 144, 130, 50}));
    EXPECT_EQ(placeOf(FormView::kIndicatorTarget), (Place{38, 32, 82, 66}));
    EXPECT_EQ(placeOf(FormView::kIndicator), (Place{38, 32, 82, 66}));
}

TEST_F(ViewTest, ADpiChangeWhileMinimizedRestoresAtTheNewSize) {
    form->load();
    ShowWindow(hwnd, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(hwnd));
    RECT ignored{};
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&ignored));
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd, &placement);
    const RECT& normal = placement.rcNormalPosition;
    EXPECT_EQ(normal.right - normal.left, layout::twipsToPixels(1185, 144) + win32::frameSize(hwnd, 144).cx);
    EXPECT_EQ(normal.bottom - normal.top, layout::twipsToPixels(1605, 144) + win32::frameSize(hwnd, 144).cy);
}

// The layout without the DPI functions of Windows 10, as on Windows 7 and 8.1: the same places.
TEST_F(ViewTest, WithoutTheNewerDpiFunctionsTheControlsSitAtTheSamePlaces) {
    form->load();
    const auto placesAt = [&](int dpi) {
        const RECT suggested = suggestedRect(dpi);
        SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        std::vector<Place> places;
        for (int id = FormView::kPortList; id <= FormView::kIndicator; ++id) {
            places.push_back(placeOf(static_cast<FormView::Id>(id)));
        }
        return places;
    };
    const auto with96 = placesAt(96);
    const auto with144 = placesAt(144);
    placesAt(96);
    const testing::OptionalFunctionsAs windows7;
    EXPECT_EQ(placesAt(96), with96);
    EXPECT_EQ(placesAt(144), with144);
}

// Windows 8.1 and 10 before 1607 have no dpi of a window to ask for: the one WM_DPICHANGED gave is
// the window's, for the panel toggle too, and the frame is the unscaled one those systems draw.
TEST_F(ViewTest, WithoutTheNewerDpiFunctionsThePanelTakesItsDesignedWidthsAtTheWindowsDpi) {
    const testing::OptionalFunctionsAs windows81;
    form->load();
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        const RECT suggested = suggestedRect(dpi);
        SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(win32::windowDpi(hwnd), dpi);
        RECT outer{};
        GetWindowRect(hwnd, &outer);
        EXPECT_EQ(outer.right - outer.left - clientWidth(), win32::frameSize(hwnd, 96).cx);
        EXPECT_EQ(clientWidth(), layout::twipsToPixels(1185, dpi));

        SendMessageW(control(FormView::kPanelButton), BM_CLICK, 0, 0);
        EXPECT_EQ(clientWidth(), layout::twipsToPixels(3855.0F + form->frameWidth(), dpi));
        const Place box = placeOf(FormView::kLineSettingsBox);
        EXPECT_EQ(clientWidth(), box.left + box.width + layout::twipsToPixels(form->frameWidth(), dpi));
        SendMessageW(control(FormView::kPanelButton), BM_CLICK, 0, 0);
        EXPECT_EQ(clientWidth(), layout::twipsToPixels(1185, dpi));
    }
}

HRESULT WINAPI monitorAt144(HMONITOR, int, UINT* dpiX, UINT* dpiY) {
    *dpiX = *dpiY = 144;
    return S_OK;
}

// The dpi a window is laid out at: recorded once known, and before that the system's answer, which
// on Windows 8.1 is the monitor's.
TEST(WindowDpiTest, ARecordedDpiHoldsOtherwiseTheSystemTells) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) GTEST_SKIP() << "no window can be created here (no display?)";
    win32::OptionalFunctions windows81;
    windows81.getDpiForMonitor = monitorAt144;
    {
        const testing::OptionalFunctionsAs monitorOnly(windows81);
        EXPECT_EQ(win32::windowDpi(window), 144);
        win32::setWindowDpi(window, 120);
        EXPECT_EQ(win32::windowDpi(window), 120);
    }
    EXPECT_EQ(win32::windowDpi(window), 120);
    win32::forgetWindowDpi(window);
    {
        const testing::OptionalFunctionsAs windows7;
        EXPECT_EQ(win32::windowDpi(window), win32::systemDpi());
    }
    DestroyWindow(window);
}

TEST_F(ViewTest, AMaximizedLaunchShowsTheWindowNormal) {
    form->load();
    windowSystem->showFirst(SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_FALSE(IsZoomed(hwnd));
}

// However a maximize comes (a launcher's show command replaces the first show with one), the window
// keeps the size and place the program gave it, is restored, and the panel still opens in full.
TEST_F(ViewTest, AMaximizeKeepsTheDesignedSizeAndIsUndone) {
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

    SendMessageW(control(FormView::kPanelButton), BM_CLICK, 0, 0);
    EXPECT_EQ(clientWidth(), 257 + layout::twipsToPixels(form->frameWidth(), 96));
}

TEST_F(ViewTest, NoCaptionIsCutAtAnyDpi) {
    form->load();
    for (const int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(dpi);
        const RECT suggested = suggestedRect(dpi);
        SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        ASSERT_EQ(window.view()->dpi(), dpi);
        for (const bool expanded : {false, true}) {
            for (FormView::Id id :
                 {FormView::kPortLabel, FormView::kSettingsLabel, FormView::kRunMinimizedBox,
                  FormView::kPanelButton, FormView::kOnTopBox}) {
                EXPECT_LE(captionWidth(id), captionRoom(id, dpi))
                    << id << " \"" << win32::windowText(control(id)) << "\"";
            }
            // The panel button's other caption.
            if (!expanded) SendMessageW(control(FormView::kPanelButton), BM_CLICK, 0, 0);
        }
        SendMessageW(control(FormView::kPanelButton), BM_CLICK, 0, 0);
        // Labels keep their designed left, top and height; nothing else moves.
        EXPECT_EQ(placeOf(FormView::kSettingsLabel).top,
                  layout::twipsToPixels(layout::kSettingsLabel.top, dpi));
        EXPECT_EQ(placeOf(FormView::kSettingsLabel).height,
                  layout::twipsToPixels(layout::kSettingsLabel.height, dpi));
        EXPECT_EQ(placeOf(FormView::kRunMinimizedBox).width,
                  layout::twipsToPixels(layout::kRunMinimizedBox.width, dpi));
    }
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
