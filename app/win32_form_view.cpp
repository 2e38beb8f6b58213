#include "app/win32_form_view.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "app/main_form.h"
#include "common/win32_text.h"
#include "ui/layout.h"
#include "ui/win32_click_target.h"
#include "ui/win32_dpi.h"
#include "ui/win32_font.h"
#include "ui/win32_indicator.h"
#include "ui/win32_text.h"

namespace zelt::win32 {
namespace {

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

// Every control that takes the focus starts its own group, so the arrow keys stay within it.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kTabStop = WS_TABSTOP | WS_GROUP;

WPARAM checkState(std::int16_t value) {
    switch (value) {
        case 1:
            return BST_CHECKED;
        case 2:
            return BST_INDETERMINATE;
        default:
            return BST_UNCHECKED;
    }
}

RECT toPixels(const TwipsRect& place, int dpi) {
    const int left = layout::twipsToPixels(place.left, dpi);
    const int top = layout::twipsToPixels(place.top, dpi);
    return RECT{left, top, left + layout::twipsToPixels(place.width, dpi),
                top + layout::twipsToPixels(place.height, dpi)};
}

}  // namespace

FormView::FormView(HWND parent, MainForm& form)
    : parent_(parent), form_(form), dpi_(windowDpi(parent)), font_(dialogFont(dpi_)) {
    // Creation order is z-order and tab order. Each label precedes the control its access key
    // leads to, and the click target lies above the indicator it covers.
    bindings_ = {
        {kPortLabel, Kind::Label, &form_.portLabel},
        {kPortList, Kind::ComboBox, &form_.portList},
        {kSettingsLabel, Kind::Label, &form_.settingsLabel},
        {kLineSettingsBox, Kind::TextBox, &form_.lineSettingsBox},
        {kRunMinimizedBox, Kind::CheckBox, &form_.runMinimizedBox},
        {kPanelButton, Kind::Button, &form_.panelButton},
        {kOnTopBox, Kind::CheckBox, &form_.onTopBox},
        {kIndicatorTarget, Kind::ClickTarget, &form_.indicatorTarget},
        {kIndicator, Kind::Indicator, &form_.indicator},
    };
    setWindowSize(layout::twipsToPixels(layout::kDesignedClientWidth, dpi_));
    createControls();
    // Tooltips are only needed once the operator can point at something; made after the first
    // show, their popup window does not delay the moment zelt is ready.
    PostMessageW(parent_, kCreateTooltipsMessage, 0, 0);
    for (Binding& binding : bindings_) {
        push(binding);
        binding.model->onModelChanged = [this, &binding] {
            if (attached_) push(binding);
        };
    }
}

FormView::~FormView() {
    detach();
}

void FormView::registerClasses(HINSTANCE instance) {
    registerIndicatorClass(instance);
    registerClickTargetClass(instance);
}

void FormView::createControls() {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent_, GWLP_HINSTANCE));
    for (Binding& binding : bindings_) {
        ControlClass cls{};
        switch (binding.kind) {
            case Kind::Label:
                // A caption wider than its label is cut at the right edge rather than wrapped away.
                cls = {L"STATIC", kChild | SS_LEFTNOWORDWRAP, 0};
                break;
            case Kind::ComboBox:
                cls = {L"COMBOBOX", kChild | kTabStop | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0};
                break;
            case Kind::TextBox:
                cls = {L"EDIT", kChild | kTabStop | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
                break;
            case Kind::CheckBox:
                // Not an automatic check box: the model decides what a click makes of the value.
                cls = {L"BUTTON", kChild | kTabStop | BS_3STATE, 0};
                break;
            case Kind::Button:
                cls = {L"BUTTON", kChild | kTabStop | BS_PUSHBUTTON, 0};
                break;
            case Kind::ClickTarget:
                cls = {kClickTargetClass, kChild, WS_EX_TRANSPARENT};
                break;
            case Kind::Indicator:
                cls = {kIndicatorClass, kChild, 0};
                break;
        }
        const std::wstring caption =
            binding.kind == Kind::Indicator ? std::wstring{} : toUtf16(binding.model->caption());
        binding.hwnd =
            CreateWindowExW(cls.exStyle, cls.className, caption.c_str(), cls.style, 0, 0, 0, 0, parent_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(binding.id)), instance, nullptr);
        SendMessageW(binding.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        if (binding.kind == Kind::ComboBox) {
            SendMessageW(binding.hwnd, CB_SETMINVISIBLE, kVisibleListItems, 0);
            fillList(binding);
        }
    }
}

// The port list's entries as the model has them; the list grows and shrinks with the ports present.
void FormView::fillList(Binding& binding) {
    const std::vector<std::string>& items = form_.portList.items();
    if (items == listItems_) return;
    SendMessageW(binding.hwnd, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
        SendMessageW(binding.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toUtf16(item).c_str()));
    }
    listItems_ = items;
    binding.placed.reset();  // the open list's room depends on the number of entries
}

void FormView::createTooltips() {
    if (tooltip_ != nullptr || !attached_) return;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent_, GWLP_HINSTANCE));
    // Not owned by the form: under Wine a topmost popup owned by the form keeps the form itself
    // out of the topmost band. detach() destroys it with the form.
    tooltip_ =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (tooltip_ == nullptr) return;  // the program works without its tooltips
    for (const Binding& binding : bindings_) {
        if (binding.model->tooltip().empty()) continue;
        std::wstring text = toUtf16(binding.model->tooltip());
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;  // also understood by common controls before version 6
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = parent_;
        info.uId = reinterpret_cast<UINT_PTR>(binding.hwnd);
        info.lpszText = text.data();
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void FormView::setWindowSize(int clientWidthPixels) {
    const SIZE frame = frameSize(parent_, dpi_);
    const int height = layout::twipsToPixels(layout::kClientHeight, dpi_) + frame.cy;
    SetWindowPos(parent_, nullptr, 0, 0, clientWidthPixels + frame.cx, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormView::applyFont() {
    for (const Binding& binding : bindings_) {
        SendMessageW(binding.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }
}

void FormView::push(Binding& binding) {
    if (binding.hwnd == nullptr) return;
    Pushing guard(*this);
    const ControlModel& model = *binding.model;
    HWND hwnd = binding.hwnd;

    switch (binding.kind) {
        case Kind::Label:
        case Kind::Button:
        case Kind::CheckBox:
        case Kind::TextBox:
        case Kind::ClickTarget:
            // Only a real change is written: rewriting an edit's own text would move its caret.
            if (windowText(hwnd) != model.caption()) SetWindowTextW(hwnd, toUtf16(model.caption()).c_str());
            break;
        case Kind::ComboBox:
        case Kind::Indicator:
            break;
    }
    if (binding.kind == Kind::CheckBox) {
        const WPARAM state = checkState(static_cast<const CheckBoxModel&>(model).value());
        if (static_cast<WPARAM>(SendMessageW(hwnd, BM_GETCHECK, 0, 0)) != state) {
            SendMessageW(hwnd, BM_SETCHECK, state, 0);
        }
    } else if (binding.kind == Kind::ComboBox) {
        fillList(binding);
        const int index = static_cast<const ComboBoxModel&>(model).listIndex();
        if (SendMessageW(hwnd, CB_GETCURSEL, 0, 0) != index) SendMessageW(hwnd, CB_SETCURSEL, index, 0);
    } else if (binding.kind == Kind::Indicator) {
        setIndicatorColor(hwnd, static_cast<const ShapeModel&>(model).fillColor());
    }

    if ((IsWindowEnabled(hwnd) != FALSE) != model.enabled()) {
        const bool hadFocus = GetFocus() == hwnd;
        EnableWindow(hwnd, model.enabled() ? TRUE : FALSE);
        // A disabled control drops the focus; it goes on to the next control once the reaction
        // that disabled it has finished.
        if (hadFocus) postFocusMoved();
    }
    place(binding);
}

void FormView::place(Binding& binding) {
    const TwipsRect& wanted = binding.model->place();
    if (binding.placed == wanted && binding.placedDpi == dpi_) return;
    const RECT pixels = toPixels(wanted, dpi_);
    if (binding.kind == Kind::ComboBox) {
        placeCombo(binding, pixels);
    } else {
        MoveWindow(binding.hwnd, pixels.left, pixels.top, pixels.right - pixels.left,
                   pixels.bottom - pixels.top, TRUE);
    }
    binding.placed = wanted;
    binding.placedDpi = dpi_;
}

// A drop-down list's height is that of its closed field; the window also gets room for the open
// list, and the field is brought to the height asked for.
void FormView::placeCombo(Binding& binding, const RECT& pixels) {
    HWND combo = binding.hwnd;
    const int fieldHeight = pixels.bottom - pixels.top;
    // Up to eight entries are shown at once; a longer list scrolls.
    const auto items = std::min(static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)), kVisibleListItems);
    const auto itemHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    const int listRoom = (items > 0 ? items : 1) * (itemHeight > 0 ? itemHeight : fieldHeight) +
                         2 * GetSystemMetricsForDpi(SM_CYEDGE, static_cast<UINT>(dpi_)) + 2;
    MoveWindow(combo, pixels.left, pixels.top, pixels.right - pixels.left, fieldHeight + listRoom, TRUE);

    // The field's height follows the selection height by a fixed amount, but systems differ in
    // what CB_GETITEMHEIGHT reports back, so the height asked for is tracked, not read back.
    auto asked = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT field{};
        GetWindowRect(combo, &field);
        const int difference = fieldHeight - (field.bottom - field.top);
        if (difference == 0 || asked + difference <= 0) break;
        asked += difference;
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), asked);
    }
}

bool FormView::command(WPARAM wParam, LPARAM lParam) noexcept {
    if (!attached_ || lParam == 0) return false;
    const auto id = static_cast<Id>(LOWORD(wParam));
    const WORD code = HIWORD(wParam);
    const Binding* binding = find(id);
    if (binding == nullptr || binding->hwnd != reinterpret_cast<HWND>(lParam)) return false;

    try {
        if (id == kLineSettingsBox && code == EN_KILLFOCUS) {
            // Whether the operator left the box for another control, or the focus only left the
            // program (another application, a message box, the window closing), is known once the
            // move is over. Posted messages come before the input that follows, so a click that
            // took the focus still sees the leaving first.
            leavePending_ = true;
            postFocusMoved();
            return true;
        }
        if (pushing_ > 0) return true;  // the echo of the view's own writing

        switch (id) {
            case kPanelButton:
                if (code == BN_CLICKED) form_.panelButton.userClick();
                break;
            case kRunMinimizedBox:
                if (code == BN_CLICKED) form_.runMinimizedBox.userClick();
                break;
            case kOnTopBox:
                if (code == BN_CLICKED) form_.onTopBox.userClick();
                break;
            case kIndicatorTarget:
                if (code == STN_CLICKED) clickIndicator();
                break;
            case kLineSettingsBox:
                if (code == EN_CHANGE) form_.lineSettingsBox.userEdit(windowText(binding->hwnd));
                break;
            case kPortList:
                comboNotification(code);
                break;
            default:
                break;
        }
    } catch (...) {
        // A reaction's failure ends that reaction here; the window goes on.
    }
    return true;
}

// The operator's toggle failed (the port is closed or the radio does not take the bytes): the
// indicator keeps its colour, and the beep tells the operator the click did not key the radio.
void FormView::clickIndicator() {
    try {
        form_.indicatorTarget.userClick();
    } catch (...) {
        MessageBeep(MB_OK);
    }
}

void FormView::comboNotification(WORD code) {
    HWND combo = control(kPortList);
    if (code == CBN_DROPDOWN) {
        comboChoice_.reset();  // a new choice begins
        // Serial adapters come and go; the list shows the ports present as it opens.
        form_.refreshPortList();
        return;
    }
    if (code == CBN_SELENDCANCEL) {
        // Moving through the open list and then cancelling chooses nothing: show the model's entry.
        comboChoice_.reset();
        const int index = form_.portList.listIndex();
        if (SendMessageW(combo, CB_GETCURSEL, 0, 0) != index) {
            Pushing guard(*this);
            SendMessageW(combo, CB_SETCURSEL, index, 0);
        }
        return;
    }
    if (code != CBN_SELCHANGE && code != CBN_SELENDOK) return;
    // While the list is open the selection only follows the pointer or the arrows.
    if (code == CBN_SELCHANGE && SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0) return;

    const auto index = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (comboChoice_ && comboChoice_->code != code && comboChoice_->index == index) {
        comboChoice_.reset();  // the other half of a choice already made
        return;
    }
    // A selection change that only catches up with the model is no choice; picking the shown
    // entry again (CBN_SELENDOK alone) is one.
    if (code == CBN_SELCHANGE && index == form_.portList.listIndex()) return;
    comboChoice_ = ComboChoice{code, index};
    if (index < 0) return;
    form_.portList.userChoose(static_cast<std::int16_t>(index));
}

void FormView::postFocusMoved() {
    if (focusMovedPosted_) return;
    focusMovedPosted_ = PostMessageW(parent_, kFocusMovedMessage, 0, 0) != FALSE;
}

void FormView::focusMoved() noexcept {
    focusMovedPosted_ = false;
    if (!attached_) return;
    if (GetFocus() == nullptr && GetActiveWindow() == parent_) {
        HWND next = GetNextDlgTabItem(parent_, nullptr, FALSE);
        if (next != nullptr) SetFocus(next);
    }
    if (!leavePending_) return;
    leavePending_ = false;
    HWND focus = GetFocus();
    // Only a move to another of the form's controls leaves the box; the focus comes back to it
    // when the program is active again.
    if (focus == nullptr || focus == control(kLineSettingsBox) || !IsChild(parent_, focus)) return;
    try {
        form_.lineSettingsBox.userLeave();
    } catch (...) {
        // As for any reaction: its failure ends it.
    }
}

void FormView::dpiChanged(int dpi, const RECT& suggested) noexcept {
    if (!attached_ || dpi <= 0 || dpi == dpi_) return;
    try {
        RECT client{};
        GetClientRect(parent_, &client);
        const float clientTwips = layout::pixelsToTwips(client.right - client.left, dpi_);
        dpi_ = dpi;

        // The old font goes once no control uses it any more.
        const Font old = std::exchange(font_, dialogFont(dpi_));
        applyFont();

        if (!IsIconic(parent_)) {
            const SIZE frame = frameSize(parent_, dpi_);
            SetWindowPos(parent_, nullptr, suggested.left, suggested.top,
                         layout::twipsToPixels(clientTwips, dpi_) + frame.cx,
                         layout::twipsToPixels(layout::kClientHeight, dpi_) + frame.cy,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        Pushing guard(*this);
        for (Binding& binding : bindings_) place(binding);
        InvalidateRect(parent_, nullptr, TRUE);
    } catch (...) {
        // Keeps the old layout; nothing may leave the window procedure.
    }
}

void FormView::detach() noexcept {
    if (!attached_) return;
    attached_ = false;
    if (tooltip_ != nullptr) DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    for (Binding& binding : bindings_) binding.model->onModelChanged = nullptr;
}

HWND FormView::control(Id id) const {
    for (const Binding& binding : bindings_) {
        if (binding.id == id) return binding.hwnd;
    }
    return nullptr;
}

FormView::Binding* FormView::find(Id id) {
    for (Binding& binding : bindings_) {
        if (binding.id == id) return &binding;
    }
    return nullptr;
}

}  // namespace zelt::win32
