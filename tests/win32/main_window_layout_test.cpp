// MainWindow's sizes and places: as designed, after start-up, with the panel open, at other dpis
// and minimized.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/window.h"
#include "common/win32_text.h"
#include "tests/win32/main_window_fixture.h"
#include "tests/win32/without_optional_functions.h"

namespace zelt::testing {
namespace {

using W = win32::MainWindow;

class MainWindowLayoutTest : public MainWindowTest {
  protected:
    long captionWidth(Id id) const { return win32::captionExtent(control(id)).cx; }

    // The width a control gives its caption, in pixels at the given dpi: a check box's caption
    // begins after the box and a gap (half a digit, as the systems leave it), a push button's
    // inside an outer and an inner edge on either side.
    long captionRoom(Id id, int dpi) const {
        HWND button = control(id);
        RECT client{};
        GetClientRect(button, &client);
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(button, GWL_STYLE)) & BS_TYPEMASK;
        if (style == BS_3STATE) {
            HDC dc = GetDC(button);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
            INT digit = 0;
            GetCharWidth32W(dc, L'0', L'0', &digit);
            SelectObject(dc, old);
            ReleaseDC(button, dc);
            return client.right - win32::systemMetric(SM_CXMENUCHECK, dpi) - digit / 2;
        }
        if (style == BS_PUSHBUTTON) return client.right - 2 * 2 * win32::systemMetric(SM_CXEDGE, dpi);
        return client.right;
    }

    // The normal (restored) window's outer width in pixels, minimized or not.
    long normalWidth() const {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(hwnd, &placement);
        return placement.rcNormalPosition.right - placement.rcNormalPosition.left;
    }
};

TEST_F(MainWindowLayoutTest, ControlsSitAtTheirDesignedPlacesInPixels) {
    EXPECT_EQ(placeOf(W::kPortList), (Place{104, 16, 81, 21}));
    EXPECT_EQ(placeOf(W::kLineSettingsBox), (Place{104, 56, 153, 19}));
    // A label grows to the right when its caption needs more room than its designed width.
    EXPECT_EQ(placeOf(W::kPortLabel), (Place{104, 0, std::max(46L, captionWidth(W::kPortLabel)), 13}));
    EXPECT_EQ(placeOf(W::kSettingsLabel),
              (Place{104, 40, std::max(101L, captionWidth(W::kSettingsLabel)), 13}));
    EXPECT_EQ(placeOf(W::kRunMinimizedBox), (Place{104, 80, 89, 17}));
    EXPECT_EQ(placeOf(W::kPanelButton), (Place{7, 72, 65, 25}));
    EXPECT_EQ(placeOf(W::kOnTopBox), (Place{208, 80, 41, 17}));
    EXPECT_EQ(placeOf(W::kIndicator), (Place{19, 16, 41, 33}));
}

TEST_F(MainWindowLayoutTest, TheWindowIsBuiltAsDesignedBeforeStartUp) {
    EXPECT_EQ(win32::windowText(hwnd), "DALMOR ZELT V3");
    EXPECT_FALSE(IsWindowVisible(hwnd));
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 267);   // 4005 twips
    EXPECT_EQ(client.bottom, 107);  // 1605 twips

    EXPECT_EQ(win32::windowText(control(W::kPortLabel)), "Com &Port:");
    EXPECT_EQ(win32::windowText(control(W::kSettingsLabel)), "&Settings: (9600,n,8,1)");
    EXPECT_EQ(win32::windowText(control(W::kRunMinimizedBox)), "Run Mi&nimized");
    EXPECT_EQ(win32::windowText(control(W::kPanelButton)), "&More>>");
    EXPECT_EQ(win32::windowText(control(W::kOnTopBox)), "&Top");
    EXPECT_EQ(win32::windowText(control(W::kLineSettingsBox)), "Text1");

    HWND combo = control(W::kPortList);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
        wchar_t item[16] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(win32::toUtf8(item), "COM" + std::to_string(i + 1));
    }
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);

    EXPECT_FALSE(IsWindowEnabled(control(W::kPortList)));
    EXPECT_FALSE(IsWindowEnabled(control(W::kLineSettingsBox)));
    EXPECT_FALSE(IsWindowEnabled(control(W::kRunMinimizedBox)));
    EXPECT_TRUE(IsWindowEnabled(control(W::kOnTopBox)));
    EXPECT_TRUE(IsWindowEnabled(control(W::kPanelButton)));
    EXPECT_EQ(indicatorColour(), kGreen);
}

TEST_F(MainWindowLayoutTest, StartUpCollapsesTheWindowWithTheIndicatorInIt) {
    form->load();
    EXPECT_EQ(clientWidth(), 79);  // 1185 twips
    EXPECT_GT(form->frameWidth(), 0.0F);
    EXPECT_FLOAT_EQ(window.frameWidth(), form->frameWidth());
    // Over the indicator it is the window hit, even for a search that passes over transparent windows.
    const Place indicator = placeOf(W::kIndicator);
    const POINT centre{indicator.left + indicator.width / 2, indicator.top + indicator.height / 2};
    EXPECT_EQ(ChildWindowFromPointEx(hwnd, centre, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT),
              control(W::kIndicator));
    EXPECT_EQ(win32::windowText(control(W::kLineSettingsBox)), "4800,n,8,2");
    EXPECT_EQ(SendMessageW(control(W::kPortList), CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(port.isOpenNow());
}

TEST_F(MainWindowLayoutTest, ThePanelButtonWidensAndNarrowsTheWindow) {
    form->load();
    const int collapsed = clientWidth();

    click(W::kPanelButton);
    EXPECT_EQ(win32::windowText(control(W::kPanelButton)), "&Less<<");
    const int frame = layout::twipsToPixels(form->frameWidth(), 96);
    EXPECT_EQ(clientWidth(), 257 + frame);  // lineSettingsBox's right edge plus a frame's width
    for (Id id : {W::kPortList, W::kLineSettingsBox, W::kRunMinimizedBox, W::kOnTopBox}) {
        EXPECT_TRUE(IsWindowEnabled(control(id))) << id;
    }

    click(W::kPanelButton);
    EXPECT_EQ(win32::windowText(control(W::kPanelButton)), "&More>>");
    EXPECT_EQ(clientWidth(), collapsed);
    for (Id id : {W::kPortList, W::kLineSettingsBox, W::kRunMinimizedBox, W::kOnTopBox}) {
        EXPECT_FALSE(IsWindowEnabled(control(id))) << id;
    }
}

TEST_F(MainWindowLayoutTest, ANewDpiLaysTheWindowOutAgainKeepingItsWidthInTwips) {
    form->load();
    // As Windows does it: the size the window wants first, then a rectangle of that size
    // somewhere else on the new screen, which the window takes as it is.
    const RECT suggested = suggestedRect(192);
    EXPECT_EQ(suggested.right - suggested.left, 158 + win32::frameSize(hwnd, 192).cx);  // 1185 twips
    EXPECT_EQ(suggested.bottom - suggested.top, 214 + win32::frameSize(hwnd, 192).cy);  // 1605 twips
    SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window.dpi(), 192);
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.left, suggested.left);
    EXPECT_EQ(outer.top, suggested.top);
    EXPECT_EQ(outer.right, suggested.right);
    EXPECT_EQ(outer.bottom, suggested.bottom);
    EXPECT_EQ(placeOf(W::kPortList), (Place{208, 32, 162, 42}));
    EXPECT_EQ(placeOf(W::kPanelButton), (Place{14, 144, 130, 50}));
    EXPECT_EQ(placeOf(W::kIndicator), (Place{38, 32, 82, 66}));
}

TEST_F(MainWindowLayoutTest, ADpiChangeWhileMinimizedRestoresAtTheNewSize) {
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
TEST_F(MainWindowLayoutTest, WithoutTheNewerDpiFunctionsTheControlsSitAtTheSamePlaces) {
    form->load();
    const auto placesAt = [&](int dpi) {
        moveToDpi(dpi);
        std::vector<Place> places;
        for (int id = W::kPortList; id <= W::kIndicator; ++id) places.push_back(placeOf(static_cast<Id>(id)));
        return places;
    };
    const auto with96 = placesAt(96);
    const auto with144 = placesAt(144);
    placesAt(96);
    const OptionalFunctionsAs windows7;
    EXPECT_EQ(placesAt(96), with96);
    EXPECT_EQ(placesAt(144), with144);
}

// Windows 8.1 and 10 before 1607 have no dpi of a window to ask for: the one WM_DPICHANGED gave is
// the window's, for the panel toggle too, and the frame is the unscaled one those systems draw.
TEST_F(MainWindowLayoutTest, WithoutTheNewerDpiFunctionsThePanelTakesItsDesignedWidthsAtTheWindowsDpi) {
    const OptionalFunctionsAs windows81;
    form->load();
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        moveToDpi(dpi);
        EXPECT_EQ(window.dpi(), dpi);
        RECT outer{};
        GetWindowRect(hwnd, &outer);
        EXPECT_EQ(outer.right - outer.left - clientWidth(), win32::frameSize(hwnd, 96).cx);
        EXPECT_EQ(clientWidth(), layout::twipsToPixels(1185, dpi));

        click(W::kPanelButton);
        EXPECT_EQ(clientWidth(), layout::twipsToPixels(3855.0F + form->frameWidth(), dpi));
        const Place box = placeOf(W::kLineSettingsBox);
        EXPECT_EQ(clientWidth(), box.left + box.width + layout::twipsToPixels(form->frameWidth(), dpi));
        click(W::kPanelButton);
        EXPECT_EQ(clientWidth(), layout::twipsToPixels(1185, dpi));
    }
}

HRESULT WINAPI monitorAt144(HMONITOR, int, UINT* dpiX, UINT* dpiY) {
    *dpiX = *dpiY = 144;
    return S_OK;
}

// The dpi the system gives a window: on Windows 8.1 its monitor's, on Windows 7 the system's.
TEST(WindowDpiTest, WithoutTheDpiOfAWindowTheMonitorsOrTheSystemsHolds) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) GTEST_SKIP() << "no window can be created here (no display?)";
    win32::OptionalFunctions windows81;
    windows81.getDpiForMonitor = monitorAt144;
    {
        const OptionalFunctionsAs monitorOnly(windows81);
        EXPECT_EQ(win32::windowDpi(window), 144);
    }
    {
        const OptionalFunctionsAs windows7;
        EXPECT_EQ(win32::windowDpi(window), win32::systemDpi());
    }
    DestroyWindow(window);
}

TEST_F(MainWindowLayoutTest, NoCaptionIsCutAtAnyDpi) {
    form->load();
    for (const int dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(dpi);
        moveToDpi(dpi);
        ASSERT_EQ(window.dpi(), dpi);
        for (const bool expanded : {false, true}) {
            for (Id id :
                 {W::kPortLabel, W::kSettingsLabel, W::kRunMinimizedBox, W::kPanelButton, W::kOnTopBox}) {
                EXPECT_LE(captionWidth(id), captionRoom(id, dpi))
                    << id << " \"" << win32::windowText(control(id)) << "\"";
            }
            // The panel button's other caption.
            if (!expanded) click(W::kPanelButton);
        }
        click(W::kPanelButton);
        // Labels keep their designed left, top and height; nothing else moves.
        EXPECT_EQ(placeOf(W::kSettingsLabel).top, layout::twipsToPixels(layout::kSettingsLabel.top, dpi));
        EXPECT_EQ(placeOf(W::kSettingsLabel).height,
                  layout::twipsToPixels(layout::kSettingsLabel.height, dpi));
        EXPECT_EQ(placeOf(W::kRunMinimizedBox).width,
                  layout::twipsToPixels(layout::kRunMinimizedBox.width, dpi));
    }
}

TEST_F(MainWindowLayoutTest, AMinimizedStartKeepsTheNormalWidths) {
    store.put("Win", "Min", "1");
    form->load();
    window.showFirst(SW_SHOWNORMAL);
    EXPECT_TRUE(IsIconic(hwnd));
    const long frame = win32::frameSize(hwnd, 96).cx;
    EXPECT_EQ(normalWidth(), 79 + frame);  // 1185 twips of client area
    EXPECT_FLOAT_EQ(window.frameWidth(), form->frameWidth());

    click(W::kPanelButton);
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_EQ(normalWidth(), layout::twipsToPixels(3855.0F + 2 * form->frameWidth(), 96));
    EXPECT_FLOAT_EQ(window.frameWidth(), form->frameWidth());

    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ(clientWidth(), layout::twipsToPixels(3855.0F + form->frameWidth(), 96));
}

}  // namespace
}  // namespace zelt::testing
