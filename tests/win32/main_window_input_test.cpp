// The operator's input on MainWindow's controls reaches the form once, and what the program shows
// on them never comes back as input.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <string>

#include <gtest/gtest.h>

#include "common/win32_text.h"
#include "tests/win32/main_window_fixture.h"

namespace zelt::testing {
namespace {

using W = win32::MainWindow;
using MainWindowInputTest = MainWindowTest;

TEST_F(MainWindowInputTest, TheControlsTakeTheFocusInTabOrder) {
    // Only the enabled tab stops count: panelButton, then onTopBox (beyond the collapsed edge).
    HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    EXPECT_EQ(first, control(W::kPanelButton));
    EXPECT_EQ(GetNextDlgTabItem(hwnd, first, FALSE), control(W::kOnTopBox));

    click(W::kPanelButton);
    HWND at = control(W::kPortList);
    for (Id next : {W::kLineSettingsBox, W::kRunMinimizedBox, W::kPanelButton, W::kOnTopBox, W::kPortList}) {
        at = GetNextDlgTabItem(hwnd, at, FALSE);
        EXPECT_EQ(at, control(next)) << next;
    }
}

TEST_F(MainWindowInputTest, TextWrittenByTheProgramIsNotEchoedAsAnEdit) {
    // Shown as the form shows its text: the form's own text stays what it was.
    window.showLineSettings("9600,n,8,1");
    EXPECT_EQ(win32::windowText(control(W::kLineSettingsBox)), "9600,n,8,1");
    EXPECT_EQ(form->lineSettingsText(), "Text1");

    // Typing is one edit per change, each with the whole text.
    click(W::kPanelButton);
    HWND edit = control(W::kLineSettingsBox);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, L'x', 0);
    EXPECT_EQ(form->lineSettingsText(), "x");
    SendMessageW(edit, WM_CHAR, L'y', 0);
    EXPECT_EQ(form->lineSettingsText(), "xy");

    // Showing the text the box already holds writes nothing, so the caret stays where it is.
    SendMessageW(edit, EM_SETSEL, 1, 1);
    window.showLineSettings("xy");
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 1U);
    EXPECT_EQ(end, 1U);
}

TEST_F(MainWindowInputTest, ACheckBoxClickTogglesItsValueOnce) {
    HWND top = control(W::kOnTopBox);
    SendMessageW(top, BM_CLICK, 0, 0);
    EXPECT_EQ(form->check(CheckBox::OnTop), 1);
    EXPECT_EQ(SendMessageW(top, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(store.get("Win", "Top"), "1");
    EXPECT_TRUE((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);

    SendMessageW(top, BM_CLICK, 0, 0);
    EXPECT_EQ(form->check(CheckBox::OnTop), 0);
    EXPECT_EQ(SendMessageW(top, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0);

    // A value shown by the program is no click.
    window.showCheck(CheckBox::RunMinimized, 2);
    EXPECT_EQ(SendMessageW(control(W::kRunMinimizedBox), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    EXPECT_EQ(form->check(CheckBox::RunMinimized), 0);
}

TEST_F(MainWindowInputTest, AStoredTopPutsTheWindowOnTopBeforeItIsShown) {
    store.put("Win", "Top", "1");
    form->load();
    EXPECT_TRUE((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    EXPECT_EQ(SendMessageW(control(W::kOnTopBox), BM_GETCHECK, 0, 0), BST_CHECKED);
}

// Each choice the form carries out stores the port chosen.
TEST_F(MainWindowInputTest, EachChoiceInThePortListReachesTheFormOnce) {
    form->load();
    click(W::kPanelButton);
    HWND combo = control(W::kPortList);
    const auto choices = [this] { return callsStartingWith("save(Com/ComPort="); };
    ASSERT_EQ(form->chosenPort(), 0);

    // The keyboard on the closed list.
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(form->chosenPort(), 1);
    EXPECT_EQ(choices(), 1);
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(form->chosenPort(), 2);
    EXPECT_EQ(choices(), 2);

    // A pick from the open list, reported both ways round: one choice each.
    const auto pick = [&](int position, WORD first, WORD second) {
        notify(W::kPortList, CBN_DROPDOWN);
        SendMessageW(combo, CB_SETCURSEL, position, 0);
        notify(W::kPortList, first);
        notify(W::kPortList, second);
    };
    pick(3, CBN_SELENDOK, CBN_SELCHANGE);
    EXPECT_EQ(form->chosenPort(), 3);
    EXPECT_EQ(choices(), 3);
    pick(2, CBN_SELCHANGE, CBN_SELENDOK);
    EXPECT_EQ(form->chosenPort(), 2);
    EXPECT_EQ(choices(), 4);

    // The same entry picked again is a choice too.
    notify(W::kPortList, CBN_DROPDOWN);
    notify(W::kPortList, CBN_SELENDOK);
    EXPECT_EQ(choices(), 5);

    // Cancelling shows the form's entry again.
    notify(W::kPortList, CBN_DROPDOWN);
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    notify(W::kPortList, CBN_SELENDCANCEL);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(choices(), 5);

    // The program's choice is shown and not echoed back.
    window.showPortList(4, 1);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(form->chosenPort(), 2);
    EXPECT_EQ(choices(), 5);
}

TEST_F(MainWindowInputTest, AClickOnTheIndicatorTogglesTransmit) {
    form->load();
    pressTarget(20, 15, 20);
    ASSERT_EQ(port.written.size(), 1U);
    EXPECT_EQ(port.written[0].second, std::string("\0\0\0\x01\x0F", 5));
    EXPECT_EQ(indicatorColour(), kRed);

    // A press dragged off the target before release is no click.
    pressTarget(20, 15, 200);
    EXPECT_EQ(port.written.size(), 1U);

    pressTarget(5, 5, 5);
    ASSERT_EQ(port.written.size(), 2U);
    EXPECT_EQ(port.written[1].second, std::string("\0\0\0\0\x0F", 5));
    EXPECT_EQ(indicatorColour(), kGreen);
}

// The tooltips' popup among this thread's windows, into the HWND that found points to.
BOOL CALLBACK findTooltips(HWND candidate, LPARAM found) {
    wchar_t name[32] = {};
    if (GetClassNameW(candidate, name, 32) == 0 || lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = candidate;
    return FALSE;
}

// The indicator hands its mouse messages to the tooltips itself, rather than letting them subclass
// it: pointed at, it still shows its tip.
TEST_F(MainWindowInputTest, PointedAtTheIndicatorShowsItsTooltip) {
    form->load();
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    pump();  // the tooltips are made once the window shows
    HWND tips = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findTooltips, reinterpret_cast<LPARAM>(&tips));
    ASSERT_NE(tips, nullptr);
    HWND indicator = control(W::kIndicator);
    wchar_t text[80] = {};
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = hwnd;
    info.uId = reinterpret_cast<UINT_PTR>(indicator);
    info.lpszText = text;
    ASSERT_TRUE(SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_STREQ(text, L"Turns red on TX; Click to toggle TX state");

    RECT box{};
    GetWindowRect(indicator, &box);
    SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    // One move, then rest: every move starts the tooltip's wait again.
    SendMessageW(indicator, WM_MOUSEMOVE, 0, MAKELPARAM(20, 15));
    for (int wait = 0; wait < 250 && IsWindowVisible(tips) == FALSE; ++wait) {
        pump();
        Sleep(20);
    }
    EXPECT_TRUE(IsWindowVisible(tips));
}

TEST_F(MainWindowInputTest, AFailedWriteOnAClickStaysInsideTheWindow) {
    // Never loaded and no port present: the open attempt fails, so nothing is written and the
    // colour stays.
    port.present.clear();
    pressTarget(5, 5, 5);
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(indicatorColour(), kGreen);
    EXPECT_TRUE(IsWindow(hwnd));
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
TEST_F(MainWindowInputTest, TheIndicatorsAccessibleObjectFollowsTheStateAndOutlivesItsWindow) {
    form->load();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IAccessible* object = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(control(W::kIndicator), static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&object)),
              S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(accessibleText(object, &IAccessible::get_accName), L"Transmit indicator");
    EXPECT_EQ(accessibleText(object, &IAccessible::get_accValue), L"Receiving");
    SendMessageW(hwnd, hostMessage, 0, 1);
    EXPECT_EQ(accessibleText(object, &IAccessible::get_accValue), L"Transmitting");

    DestroyWindow(hwnd);
    pump();
    EXPECT_NE(accessibleText(object, &IAccessible::get_accValue), L"Transmitting");
    EXPECT_NE(accessibleText(object, &IAccessible::get_accName), L"Transmit indicator");
    object->Release();
    CoUninitialize();
}

}  // namespace
}  // namespace zelt::testing
