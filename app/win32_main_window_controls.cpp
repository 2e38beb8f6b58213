// The form's controls on MainWindow: made in their fixed order, shown as the form says, the input
// of the port list, and the indicator's painting and clicks.
#include <windows.h>

#include <windowsx.h>

#include <algorithm>
#include <array>
#include <string>

#include <commctrl.h>
#include "app/main_form.h"
#include "app/win32_main_window.h"
#include "common/win32_scoped.h"
#include "common/win32_text.h"
#include "ui/win32_accessible.h"
#include "ui/win32_dpi.h"

namespace zelt::win32 {
namespace {

constexpr std::uint32_t kGreen = 0x0000FF00;  // receive
constexpr std::uint32_t kRed = 0x000000FF;    // transmit

constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE;
// Every control that takes the focus starts its own group, so the arrow keys stay within it.
constexpr DWORD kTabStopStyle = WS_TABSTOP | WS_GROUP;

struct ControlDesign {
    MainWindow::Id id;
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
    const char* caption;
    const char* tooltip;
};

// In creation order. A label does not wrap (a caption that does not fit grows the label instead); a
// check box has three states (a stored value other than 0 or 1 shows grey) and does not check itself.
// The indicator is its own click target.
constexpr std::array<ControlDesign, MainWindow::kControlCount> kControls{{
    {MainWindow::kPortLabel, L"STATIC", kChildStyle | SS_LEFTNOWORDWRAP, 0, "Com &Port:", ""},
    {MainWindow::kPortList, L"COMBOBOX",
     kChildStyle | kTabStopStyle | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, "",
     "Set COM port for radio"},
    {MainWindow::kSettingsLabel, L"STATIC", kChildStyle | SS_LEFTNOWORDWRAP, 0, "&Settings: (9600,n,8,1)",
     ""},
    {MainWindow::kLineSettingsBox, L"EDIT", kChildStyle | kTabStopStyle | ES_LEFT | ES_AUTOHSCROLL,
     WS_EX_CLIENTEDGE, nullptr, "Enter baud rate, parity, bits, stop bits"},
    {MainWindow::kRunMinimizedBox, L"BUTTON", kChildStyle | kTabStopStyle | BS_3STATE, 0, "Run Mi&nimized",
     "Always run minimized"},
    {MainWindow::kPanelButton, L"BUTTON", kChildStyle | kTabStopStyle | BS_PUSHBUTTON, 0, nullptr,
     "Click to set options"},
    {MainWindow::kOnTopBox, L"BUTTON", kChildStyle | kTabStopStyle | BS_3STATE, 0, "&Top",
     "Always on top of other windows"},
    {MainWindow::kIndicator, MainWindow::kIndicatorClassName, kChildStyle, 0, "",
     "Turns red on TX; Click to toggle TX state"},
}};

}  // namespace

// Each control is made with what the form holds. The panel's controls are enabled while it is
// open; collapsed, as designed, only the port list, the settings box and "Run Minimized" are
// disabled, until the panel button first opens and closes the panel.
void MainWindow::createControls() {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    const bool open = form_->panelOpen();
    for (const ControlDesign& design : kControls) {
        std::string caption = design.caption != nullptr ? design.caption : "";
        if (design.id == kLineSettingsBox) caption = form_->lineSettingsText();
        if (design.id == kPanelButton) caption = open ? layout::kLessCaption : layout::kMoreCaption;
        HWND made =
            CreateWindowExW(design.exStyle, design.className, toUtf16(caption).c_str(), design.style, 0, 0, 0,
                            0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)), instance,
                            design.id == kIndicator ? this : nullptr);
        controls_[index(design.id)] = made;
        if (made != nullptr) SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    if (HWND list = control(kPortList)) SendMessageW(list, CB_SETMINVISIBLE, kVisiblePorts, 0);
    showPortList(form_->portCount(), form_->chosenPort());
    showCheck(CheckBox::RunMinimized, form_->check(CheckBox::RunMinimized));
    showCheck(CheckBox::OnTop, form_->check(CheckBox::OnTop));
    for (const Id id : {kPortList, kLineSettingsBox, kRunMinimizedBox}) enable(control(id), open);
    focus_->watchLeaving(control(kLineSettingsBox), [this] { form_->lineSettingsLeft(); });
}

// One popup for every control's tooltip. Not owned by the form: under Wine a topmost popup owned by
// the form keeps the form itself out of the topmost band. destroyed() ends it with the form.
void MainWindow::createTooltips() {
    if (tooltips_ != nullptr || form_ == nullptr || hwnd_ == nullptr) return;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    tooltips_ =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (tooltips_ == nullptr) return;  // the program works without its tooltips
    for (const ControlDesign& design : kControls) {
        if (design.tooltip[0] == '\0') continue;
        std::wstring text = toUtf16(design.tooltip);
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;  // also understood by common controls before version 6
        // The indicator relays its own mouse messages: the tooltip's subclassing keeps its bookkeeping
        // in a window property, which Wine reads through its server at every message, and the
        // indicator repaints at every request (a third more per request, measured under Wine 8).
        info.uFlags = design.id == kIndicator ? TTF_IDISHWND : TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = hwnd_;
        info.uId = reinterpret_cast<UINT_PTR>(control(design.id));
        info.lpszText = text.data();
        SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

// The text is written only when it changes: rewriting an edit's own text would move its caret.
void MainWindow::setText(HWND control, const std::string& text) {
    if (control == nullptr || windowText(control) == text) return;
    const Writing writing(*this, control);
    SetWindowTextW(control, toUtf16(text).c_str());
}

void MainWindow::enable(HWND control, bool enabled) {
    if (control == nullptr || !focus_) return;
    const Writing writing(*this, control);
    focus_->enable(control, enabled);
}

void MainWindow::showTransmitting() noexcept {
    HWND indicator = control(kIndicator);
    if (indicator == nullptr) return;
    InvalidateRect(indicator, nullptr, FALSE);
    announceValueChange(indicator);
}

// The list is filled again only when its length changes; its room follows the number of entries.
void MainWindow::showPortList(int count, int chosen) {
    HWND list = control(kPortList);
    if (list == nullptr) return;
    if (SendMessageW(list, CB_GETCOUNT, 0, 0) != count) {
        const Writing writing(*this, list);
        SendMessageW(list, CB_RESETCONTENT, 0, 0);
        for (int number = 1; number <= count; ++number) {
            const std::wstring item = L"COM" + std::to_wstring(number);
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
        place(kPortList);
    }
    selectPort(chosen);
}

void MainWindow::selectPort(int chosen) {
    HWND list = control(kPortList);
    if (list == nullptr || SendMessageW(list, CB_GETCURSEL, 0, 0) == chosen) return;
    const Writing writing(*this, list);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

void MainWindow::showCheck(CheckBox box, std::int16_t value) {
    HWND button = control(box == CheckBox::OnTop ? kOnTopBox : kRunMinimizedBox);
    // A check box's value is its state: 0 clear, 1 checked, 2 greyed; any other shows clear.
    const WPARAM state = value == BST_CHECKED || value == BST_INDETERMINATE ? value : BST_UNCHECKED;
    if (button == nullptr || static_cast<WPARAM>(SendMessageW(button, BM_GETCHECK, 0, 0)) == state) return;
    const Writing writing(*this, button);
    SendMessageW(button, BM_SETCHECK, state, 0);
}

void MainWindow::showPanel(bool open) {
    setText(control(kPanelButton), open ? layout::kLessCaption : layout::kMoreCaption);
    for (const Id id : {kPortList, kLineSettingsBox, kRunMinimizedBox, kOnTopBox}) enable(control(id), open);
}

// Each choice the operator makes, by pointer or keyboard, reaches the form once; the list shows the
// ports present as it opens, as serial adapters come and go.
void MainWindow::portListNotified(WORD code) {
    HWND list = control(kPortList);
    if (code == CBN_DROPDOWN) {
        portChoice_.reset();  // a new choice begins
        form_->portListOpening();
        return;
    }
    if (code == CBN_SELENDCANCEL) {
        // Moving through the open list and then cancelling chooses nothing.
        portChoice_.reset();
        selectPort(form_->chosenPort());
        return;
    }
    if (code != CBN_SELCHANGE && code != CBN_SELENDOK) return;
    // While the list is open the selection only follows the pointer or the arrows.
    if (code == CBN_SELCHANGE && SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0) return;

    const auto position = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
    if (portChoice_ && portChoice_->code != code && portChoice_->index == position) {
        portChoice_.reset();  // the other half of a choice already made
        return;
    }
    // A selection change that only catches up with the program's choice is no choice; picking the
    // shown entry again (CBN_SELENDOK alone) is one.
    if (code == CBN_SELCHANGE && position == form_->chosenPort()) return;
    portChoice_ = PortChoice{code, position};
    if (position >= 0) form_->portChosen(static_cast<std::int16_t>(position));
}

// A circle as wide as the smaller side, centred, its outline in the window-text colour read at each
// paint: black in the usual scheme, still seen in a dark high-contrast one (the system repaints every
// window when it changes). The DC's own pen and brush take the colours: a brush and a pen made and
// deleted per paint cost ~1-3 us under Wine.
void MainWindow::paintIndicator(HWND indicator) const {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(indicator, &ps);
    RECT client;
    GetClientRect(indicator, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const int diameter = std::min(client.right, client.bottom);
    const int left = (client.right - diameter) / 2;
    const int top = (client.bottom - diameter) / 2;
    {
        const bool red = form_ != nullptr && form_->transmitting();
        const ScopedSelectObject brush(dc, GetStockObject(DC_BRUSH));
        const ScopedSelectObject pen(dc, GetStockObject(DC_PEN));
        SetDCBrushColor(dc, static_cast<COLORREF>(red ? kRed : kGreen));
        SetDCPenColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        Ellipse(dc, left, top, left + diameter, top + diameter);
    }
    EndPaint(indicator, &ps);
}

// The window is the indicator's own from creation: its last creation parameter. A press is a click
// once it is let go over the indicator, one dragged off before release is none; the parent is told
// as a notifying static tells it.
LRESULT CALLBACK MainWindow::indicatorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    const auto* self = reinterpret_cast<const MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && self->tooltips_ != nullptr && message >= WM_MOUSEFIRST &&
        message <= WM_MOUSELAST) {
        MSG relayed{hwnd, message, wParam, lParam, 0, {}};
        SendMessageW(self->tooltips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel
        case WM_PAINT:
            try {
                if (self == nullptr) break;
                self->paintIndicator(hwnd);
                return 0;
            } catch (...) {
                break;  // out of GDI objects: the next WM_PAINT tries again
            }
        case WM_LBUTTONDOWN:
            SetCapture(hwnd);
            return 0;
        case WM_LBUTTONUP: {
            if (GetCapture() != hwnd) return 0;
            ReleaseCapture();
            RECT client;
            GetClientRect(hwnd, &client);
            const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (PtInRect(&client, at) == FALSE) return 0;
            SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(kIndicator, STN_CLICKED),
                         reinterpret_cast<LPARAM>(hwnd));
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace zelt::win32
