#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "common/win32_scoped.h"
#include "ui/controls.h"
#include "ui/win32_check_box.h"
#include "ui/win32_click_target.h"
#include "ui/win32_combo_box.h"
#include "ui/win32_dpi.h"
#include "ui/win32_edit_box.h"
#include "ui/win32_focus_tracker.h"
#include "ui/win32_indicator.h"
#include "ui/win32_label.h"
#include "ui/win32_push_button.h"
#include "ui/win32_tooltips.h"

namespace zelt {

class MainForm;

namespace win32 {

// MainForm's controls on its window: one control per model, mirroring the model whenever it
// changes and handing the operator's input back to it, all in the form's font at the window's dpi.
// What the view pushes to a control never comes back as input.
class FormView {
  public:
    // Control ids, clear of IDOK and IDCANCEL, which IsDialogMessage sends for Enter and Escape.
    enum Id : int {
        kPortList = 101,
        kLineSettingsBox,
        kPortLabel,
        kSettingsLabel,
        kRunMinimizedBox,
        kPanelButton,
        kOnTopBox,
        kIndicatorTarget,
        kIndicator,
    };

    // Posted to the parent at creation: the tooltips are made when it arrives.
    static constexpr UINT kCreateTooltipsMessage = WM_APP + 2;

    FormView(HWND parent, MainForm& form);
    ~FormView();
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;

    // Registers the window classes of the indicator and the click target.
    static void registerClasses(HINSTANCE instance);

    // WM_COMMAND from one of the controls. Returns false for anything else.
    bool command(WPARAM wParam, LPARAM lParam) noexcept;
    // The window moved to a monitor of another dpi: new font, control places and window size,
    // keeping the client width in twips. suggested is where the system proposes the window goes.
    void dpiChanged(int dpi, const RECT& suggested) noexcept;
    // The outer size the window takes at another dpi: its client width in twips kept.
    SIZE scaledSize(int dpi) const noexcept;
    void createTooltips();
    // The window is going away: the models stop talking to it.
    void detach() noexcept;

    FocusTracker& focus() { return focus_; }
    HWND control(Id id) const;
    // The dpi the window is laid out at. Kept here as well as on the window: reading a window's
    // property is a trip to the window server under Wine, and every change of a control asks.
    int dpi() const { return dpi_; }

  private:
    // One model and the control that shows it.
    struct Binding {
        Id id;
        ControlModel& model;
        Control& control;
        std::function<void()> showState;  // what the kind shows besides its place and enabled state
    };

    template <class Adapter, class Model>
    void bind(Id id, Adapter& control, Model& model);
    void createControls();
    void bindInput();
    void exposeToAssistiveTechnology();
    void mirror(const Binding& binding);
    void place(const Binding& binding);
    // Outer size for a client width in twips; the height is always the designed one.
    SIZE outerSize(float clientWidthTwips) const;
    SIZE outerSize(float clientWidthTwips, int dpi) const;
    // The client width of the normal (restored) window in twips, minimized or not.
    float normalClientTwips() const;
    const Binding* find(Id id) const;

    HWND parent_;
    MainForm& form_;
    int dpi_;
    ScopedFont font_;
    FocusTracker focus_;
    Tooltips tooltips_;
    bool attached_ = true;

    Label portLabel_;
    ComboBox portList_;
    Label settingsLabel_;
    EditBox lineSettingsBox_;
    CheckBox runMinimizedBox_;
    PushButton panelButton_;
    CheckBox onTopBox_;
    ClickTarget indicatorTarget_;
    Indicator indicator_;
    std::vector<Binding> bindings_;  // in creation order
};

}  // namespace win32
}  // namespace zelt
