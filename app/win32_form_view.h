#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/win32_gdi.h"

namespace zelt {

class MainForm;

namespace win32 {

// MainForm's controls on its window: one standard control per model, mirroring the model whenever it
// changes and handing the operator's input back to it. What the view pushes to a control never
// comes back as input.
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

    // Posted to the parent when the focus moved in a way to be looked at once the move is over.
    static constexpr UINT kFocusMovedMessage = WM_APP + 1;
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
    // The parent received kFocusMovedMessage.
    void focusMoved() noexcept;
    void createTooltips();
    // The window is going away: the models stop talking to it.
    void detach() noexcept;

    HWND control(Id id) const;
    int dpi() const { return dpi_; }

  private:
    enum class Kind { Label, Button, CheckBox, ComboBox, TextBox, Indicator, ClickTarget };

    struct Binding {
        Binding(Id id, Kind kind, ControlModel* model) : id(id), kind(kind), model(model) {}
        Id id;
        Kind kind;
        ControlModel* model;
        HWND hwnd = nullptr;
        std::optional<TwipsRect> placed;  // the place last given to the control
        int placedDpi = 0;
    };

    // Sets the guard while the view writes to its controls, so their notifications are not input.
    class Pushing {
      public:
        explicit Pushing(FormView& view) : view_(view) { ++view_.pushing_; }
        ~Pushing() { --view_.pushing_; }
        Pushing(const Pushing&) = delete;
        Pushing& operator=(const Pushing&) = delete;

      private:
        FormView& view_;
    };

    void createControls();
    void setWindowSize(int clientWidthPixels);
    void applyFont();
    void push(Binding& binding);
    void place(Binding& binding);
    void placeCombo(Binding& binding, const RECT& pixels);
    void fillList(Binding& binding);
    void comboNotification(WORD code);
    void clickIndicator();
    Binding* find(Id id);

    HWND parent_;
    MainForm& form_;
    int dpi_;
    Font font_;
    HWND tooltip_ = nullptr;
    std::vector<Binding> bindings_;
    int pushing_ = 0;
    void postFocusMoved();

    bool leavePending_ = false;
    bool focusMovedPosted_ = false;
    bool attached_ = true;
    // The combo reports one choice as CBN_SELENDOK and CBN_SELCHANGE, in an order that differs
    // between systems; the first of the pair is kept here so the second is not a second choice.
    struct ComboChoice {
        WORD code;
        int index;
    };
    std::optional<ComboChoice> comboChoice_;
    std::vector<std::string> listItems_;  // the port list's entries as last filled in
    static constexpr int kVisibleListItems = 8;
};

}  // namespace win32
}  // namespace zelt
