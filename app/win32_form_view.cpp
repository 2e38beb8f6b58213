#include "app/win32_form_view.h"

#include <oleacc.h>

#include <string>
#include <type_traits>
#include <utility>

#include "app/main_form.h"
#include "common/win32_text.h"
#include "ui/layout.h"
#include "ui/win32_accessible.h"
#include "ui/win32_dpi.h"
#include "ui/win32_font.h"

namespace zelt::win32 {
namespace {

// The port list shows up to eight ports at once; a longer list scrolls.
constexpr int kVisiblePorts = 8;

// What a screen reader says of the indicator: its name, the state in words, what pressing it does.
constexpr wchar_t kIndicatorName[] = L"Transmit indicator";
constexpr wchar_t kReceiving[] = L"Receiving";
constexpr wchar_t kTransmitting[] = L"Transmitting";
constexpr wchar_t kToggle[] = L"Toggle";

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

// What each kind of control shows of its model besides its place and enabled state.
void show(Label& label, const ControlModel& model) {
    label.setText(model.caption());
}
void show(PushButton& button, const ButtonModel& model) {
    button.setText(model.caption());
}
void show(ClickTarget& target, const ButtonModel& model) {
    target.setText(model.caption());
}
void show(EditBox& box, const TextBoxModel& model) {
    box.setText(model.text());
}
void show(CheckBox& box, const CheckBoxModel& model) {
    box.setText(model.caption());
    box.setCheck(checkState(model.value()));
}
void show(ComboBox& list, const ComboBoxModel& model) {
    list.setItems(model.items());
    list.setChosen(model.listIndex());
}
void show(Indicator& indicator, const ShapeModel& model) {
    indicator.setColor(model.fillColor());
}

}  // namespace

FormView::FormView(HWND parent, MainForm& form)
    : parent_(parent), form_(form), dpi_(recordWindowDpi(parent)), font_(dialogFont(dpi_)), focus_(parent) {
    const SIZE designed = outerSize(layout::kDesignedClientWidth);
    SetWindowPos(parent_, nullptr, 0, 0, designed.cx, designed.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    createControls();
    bindInput();
    // Tooltips are only needed once the operator can point at something; made after the first
    // show, their popup window does not delay the moment zelt is ready.
    PostMessageW(parent_, kCreateTooltipsMessage, 0, 0);
    for (const Binding& binding : bindings_) {
        mirror(binding);
        binding.model.onModelChanged = [this, &binding] {
            if (attached_) mirror(binding);
        };
    }
    exposeToAssistiveTechnology();
}

FormView::~FormView() {
    detach();
}

void FormView::registerClasses(HINSTANCE instance) {
    registerIndicatorClass(instance);
    registerClickTargetClass(instance);
}

template <class Adapter, class Model>
void FormView::bind(Id id, Adapter& control, Model& model) {
    const ControlArgs args{parent_, id, model.caption(), font_.get()};
    if constexpr (std::is_same_v<Adapter, ComboBox>) {
        control.create(ComboBoxArgs{args, kVisiblePorts});
    } else {
        control.create(args);
    }
    bindings_.push_back(Binding{id, model, control, [&control, &model] { show(control, model); }});
}

void FormView::createControls() {
    // Creation order is z-order and tab order. Each label precedes the control its access key
    // leads to, and the click target lies above the indicator it covers.
    bind(kPortLabel, portLabel_, form_.portLabel);
    bind(kPortList, portList_, form_.portList);
    bind(kSettingsLabel, settingsLabel_, form_.settingsLabel);
    bind(kLineSettingsBox, lineSettingsBox_, form_.lineSettingsBox);
    bind(kRunMinimizedBox, runMinimizedBox_, form_.runMinimizedBox);
    bind(kPanelButton, panelButton_, form_.panelButton);
    bind(kOnTopBox, onTopBox_, form_.onTopBox);
    bind(kIndicatorTarget, indicatorTarget_, form_.indicatorTarget);
    bind(kIndicator, indicator_, form_.indicator);
}

// The operator's input, from each control to its model.
void FormView::bindInput() {
    // Serial adapters come and go; the list shows the ports present as it opens.
    portList_.onDropDown = [this] { form_.refreshPortList(); };
    portList_.onChoose = [this](int index) { form_.portList.userChoose(static_cast<std::int16_t>(index)); };
    lineSettingsBox_.onChange = [this](const std::string& text) { form_.lineSettingsBox.userEdit(text); };
    lineSettingsBox_.onFocusLost = [this] { focus_.watchedLostFocus(); };
    focus_.watchLeaving(lineSettingsBox_.hwnd(), [this] { form_.lineSettingsBox.userLeave(); });
    runMinimizedBox_.onClick = [this] { form_.runMinimizedBox.userClick(); };
    panelButton_.onClick = [this] { form_.panelButton.userClick(); };
    onTopBox_.onClick = [this] { form_.onTopBox.userClick(); };
    // The operator's toggle failed (the port is closed or the radio does not take the bytes): the
    // indicator keeps its colour, and the beep tells the operator the click did not key the radio.
    indicatorTarget_.onClick = [this] {
        try {
            form_.indicatorTarget.userClick();
        } catch (...) {
            MessageBeep(MB_OK);
        }
    };
}

// A screen reader meets the indicator and the click target over it as one button: its name, the
// state in words as its value, and a default action that is a click. The circle beneath says it is
// invisible, so that it is not met a second time. Every change of colour from now on, whatever made
// it, is announced once. The port list is named after its label outright: Windows' standard object
// of a combo box takes the label's text, Wine's the chosen port's.
void FormView::exposeToAssistiveTechnology() {
    HWND target = indicatorTarget_.hwnd();
    exposeAccessible(
        target,
        [this] {
            AccessibleFacts facts;
            facts.name = kIndicatorName;
            facts.value = indicator_.color() == kRed ? kTransmitting : kReceiving;
            facts.role = ROLE_SYSTEM_PUSHBUTTON;
            facts.defaultAction = kToggle;
            return facts;
        },
        [this, target] {
            PostMessageW(parent_, WM_COMMAND, MAKEWPARAM(kIndicatorTarget, STN_CLICKED),
                         reinterpret_cast<LPARAM>(target));
        });
    exposeAccessible(indicator_.hwnd(), [] {
        AccessibleFacts facts;
        facts.hidden = true;
        return facts;
    });
    exposeAccessible(portList_.hwnd(), [this] {
        AccessibleFacts facts;
        facts.name = withoutAccessKey(toUtf16(form_.portLabel.caption()));
        return facts;
    });
    indicator_.onColorChanged = [target] { announceValueChange(target); };
}

void FormView::createTooltips() {
    if (tooltips_.created() || !attached_) return;
    if (!tooltips_.create(parent_)) return;  // the program works without its tooltips
    for (const Binding& binding : bindings_) tooltips_.add(binding.control.hwnd(), binding.model.tooltip());
}

void FormView::mirror(const Binding& binding) {
    binding.showState();
    focus_.enable(binding.control, binding.model.enabled());
    place(binding);
}

void FormView::place(const Binding& binding) {
    const int dpi = this->dpi();
    binding.control.place(toPixels(binding.model.place(), dpi), dpi);
}

SIZE FormView::outerSize(float clientWidthTwips) const {
    return outerSize(clientWidthTwips, dpi());
}

SIZE FormView::outerSize(float clientWidthTwips, int dpi) const {
    const SIZE frame = frameSize(parent_, dpi);
    return SIZE{layout::twipsToPixels(clientWidthTwips, dpi) + frame.cx,
                layout::twipsToPixels(layout::kClientHeight, dpi) + frame.cy};
}

float FormView::normalClientTwips() const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(parent_, &placement);
    const RECT& normal = placement.rcNormalPosition;
    const int dpi = this->dpi();
    if (!IsIconic(parent_)) {
        RECT client{};
        GetClientRect(parent_, &client);
        return layout::pixelsToTwips(client.right - client.left, dpi);
    }
    return layout::pixelsToTwips(normal.right - normal.left - frameSize(parent_, dpi).cx, dpi);
}

SIZE FormView::scaledSize(int dpi) const noexcept {
    try {
        return outerSize(normalClientTwips(), dpi);
    } catch (...) {
        return SIZE{0, 0};
    }
}

bool FormView::command(WPARAM wParam, LPARAM lParam) noexcept {
    if (!attached_ || lParam == 0) return false;
    const Binding* binding = find(static_cast<Id>(LOWORD(wParam)));
    if (binding == nullptr || binding->control.hwnd() != reinterpret_cast<HWND>(lParam)) return false;
    try {
        binding->control.notified(HIWORD(wParam));
    } catch (...) {
        // A reaction's failure ends that reaction here; the window goes on.
    }
    return true;
}

void FormView::dpiChanged(int dpi, const RECT& suggested) noexcept {
    if (!attached_ || dpi <= 0 || dpi == this->dpi()) return;
    try {
        const float clientTwips = normalClientTwips();  // at the old dpi
        setWindowDpi(parent_, dpi);
        dpi_ = dpi;

        // The old font goes once no control uses it any more.
        const ScopedFont old = std::exchange(font_, dialogFont(dpi));
        for (const Binding& binding : bindings_) binding.control.setFont(font_.get());

        if (IsIconic(parent_)) {
            // Restored later, the window must come back at the new dpi's size.
            WINDOWPLACEMENT placement{};
            placement.length = sizeof placement;
            GetWindowPlacement(parent_, &placement);
            const SIZE size = outerSize(clientTwips);
            placement.rcNormalPosition.right = placement.rcNormalPosition.left + size.cx;
            placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + size.cy;
            placement.showCmd = SW_SHOWMINNOACTIVE;
            SetWindowPlacement(parent_, &placement);
        } else {
            // Where the system puts the window, as it suggests: it asked for our size first.
            SetWindowPos(parent_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        for (const Binding& binding : bindings_) place(binding);
        InvalidateRect(parent_, nullptr, TRUE);
        // The frame's width in twips changes with the rounding of its pixels.
        form_.windowRescaled();
    } catch (...) {
        // Keeps the old layout; nothing may leave the window procedure.
    }
}

void FormView::detach() noexcept {
    if (!attached_) return;
    attached_ = false;
    forgetWindowDpi(parent_);
    tooltips_.destroy();
    focus_.stop();
    for (const Binding& binding : bindings_) binding.model.onModelChanged = nullptr;
}

HWND FormView::control(Id id) const {
    const Binding* binding = find(id);
    return binding != nullptr ? binding->control.hwnd() : nullptr;
}

const FormView::Binding* FormView::find(Id id) const {
    for (const Binding& binding : bindings_) {
        if (binding.id == id) return &binding;
    }
    return nullptr;
}

}  // namespace zelt::win32
