#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/window.h"
#include "common/event_log.h"
#include "common/win32_scoped.h"
#include "hostlink/host_messages.h"
#include "hostlink/win32_host_link.h"
#include "ui/win32_cues.h"
#include "ui/win32_event_log_window.h"
#include "ui/win32_focus_tracker.h"

namespace zelt {

class MainForm;
class UnkeyHotkey;

namespace win32 {

// One zelt per session, as a second one would carry the same caption for a host to find, without the
// port: the first holds a named mutex in Local\; a later one hands over to it and ends, having opened
// no port and stored nothing.
class SingleInstance {
  public:
    SingleInstance();

    bool another() const { return another_; }
    void handOver() const noexcept;

    // What the first zelt's window gets per start turned away; 0 when it cannot be registered.
    static UINT handOverMessage();

  private:
    ScopedHandle mutex_;  // held for the life of the program
    bool another_ = false;
};

// MainForm's window on Windows: a fixed frame with caption, system menu and minimize box, the form's
// controls in the dialog font at the window's dpi. Closing, focus and keyboard navigation go as in
// a dialog; no show command maximizes it; what the program writes into a control is no input.
class MainWindow final : public Window {
  public:
    static constexpr const wchar_t* kClassName = L"ZeltMainForm";
    static constexpr const wchar_t* kIndicatorClassName = L"ZeltIndicator";

    // Control ids, clear of IDOK and IDCANCEL, which IsDialogMessage sends for Enter and Escape.
    // Creation order is z-order and tab order: each label precedes the control its access key
    // leads to.
    enum Id : int {
        kPortList = 101,
        kLineSettingsBox,
        kPortLabel,
        kSettingsLabel,
        kRunMinimizedBox,
        kPanelButton,
        kOnTopBox,
        kIndicator,  // also the target of the operator's clicks
    };
    static constexpr int kControlCount = kIndicator - kPortList + 1;

    explicit MainWindow(EventLog& log) : log_(log) {}
    ~MainWindow() override;

    // The window classes of the form and the indicator.
    static void registerClass(HINSTANCE instance);
    // Creates the window hidden; nothing is on it until attach.
    HWND create(HINSTANCE instance);
    // Puts the form's controls on the window, showing what the form holds.
    void attach(MainForm& form);
    // The first show: minimized without taking the focus if start-up asked for it, else as launched.
    void showFirst(int showCommand);

    HWND control(Id id) const { return controls_[index(id)]; }
    int dpi() const { return dpi_; }
    // The event log window while it is open, for the message loop's keyboard handling.
    HWND eventLogWindow() const { return logWindow_ ? logWindow_->hwnd() : nullptr; }
    // Whether the end of the window ends the message loop (tests keep theirs running).
    void setQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }
    // MainForm's extras below the system's own items in the system menu (Alt+Space); what each item
    // does is MainForm's, its "Unkey hotkey..." dialog the hotkey's.
    void addSystemMenu(UnkeyHotkey& hotkey);

    void showTransmitting() noexcept override;
    void showPortList(int count, int chosen) override;
    void showLineSettings(const std::string& text) override { setText(control(kLineSettingsBox), text); }
    void showCheck(CheckBox box, std::int16_t value) override;
    void showPanel(bool open) override;
    float frameWidth() override;
    void setOuterWidth(float twips) override;
    void setMinimized() override;
    void setOnTop(bool onTop) override;
    void close() override;
    void showMessage(const std::string& text) override;
    void showAbout(const std::string& text) override;
    void showEventLog() override;
    void beep() noexcept override { MessageBeep(MB_ICONWARNING); }
    void playCue(const std::vector<std::uint8_t>& wave) override { sound_.play(wave); }
    void connectTaskbar() override;
    void markTaskbar(bool transmitting) override {
        if (taskbar_) taskbar_->markTransmitting(transmitting);
    }
    void startTimer(std::uint32_t milliseconds) override;
    void stopTimer() noexcept override {
        if (hwnd_ != nullptr) KillTimer(hwnd_, kTimerId);
    }
    void listenToHost() override;
    void registerHotkey(HotkeyRegistration key) override;
    void unregisterHotkey() noexcept override;

  private:
    static constexpr UINT kCreateTooltipsMessage = WM_APP + 2;  // makes the tooltips after the first show
    static constexpr UINT kUnmaximizeMessage = WM_APP + 3;      // posted on a maximize, which is undone
    static constexpr UINT_PTR kTimerId = 0x5854;                // "TX"
    static constexpr int kHotkeyId = 0x554B;                    // "UK"
    static constexpr int kVisiblePorts = 8;  // shown at once by the open port list; more scroll

    static constexpr int index(Id id) { return id - kPortList; }

    // The messages (win32_main_window.cpp).
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void command(WPARAM wParam, LPARAM lParam) noexcept;
    void closeRequested();
    void destroyed();
    // The window itself, for a call that needs it; fails once the window is gone.
    HWND window(const char* what) const;

    // The controls (win32_main_window_controls.cpp).
    static LRESULT CALLBACK indicatorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void createTooltips();
    void portListNotified(WORD code);
    // Shows the entry at that position (-1: none) as the chosen one.
    void selectPort(int position);
    void setText(HWND control, const std::string& text);
    void enable(HWND control, bool enabled);
    void paintIndicator(HWND indicator) const;

    // What the system is told and asked (win32_main_window_system.cpp).
    void exposeToAssistiveTechnology();
    void deviceChanged(WPARAM event, LPARAM data);

    // The system menu (win32_system_menu.cpp). WM_INITMENUPOPUP: the check marks follow the form.
    void systemMenuOpening() noexcept;
    // An item chosen, by WM_SYSCOMMAND or, from the submenu, WM_COMMAND; false if none of these.
    bool systemMenuCommand(WPARAM id) noexcept;

    // The layout (win32_main_window_layout.cpp).
    void place(Id id);
    void placeControls();
    void placePortList(const RECT& field);
    // Outer size for a client width in twips at a dpi; the height is always the designed one.
    SIZE outerSize(float clientWidthTwips, int dpi) const;
    // The normal (restored) window's outer rectangle, and its client width in twips, minimized or not.
    RECT normalRect() const;
    float normalClientTwips() const;
    void keepDesignedSize(MINMAXINFO& info) const;
    SIZE scaledSize(int dpi) const noexcept;
    void dpiChanged(int dpi, const RECT& suggested) noexcept;

    // Held while the program writes to a control: what that control reports meanwhile is no input.
    class Writing {
      public:
        Writing(MainWindow& window, HWND control)
            : window_(window), before_(std::exchange(window.writing_, control)) {}
        ~Writing() { window_.writing_ = before_; }
        Writing(const Writing&) = delete;
        Writing& operator=(const Writing&) = delete;

      private:
        MainWindow& window_;
        HWND before_;
    };

    // The port list reports one choice as CBN_SELENDOK and CBN_SELCHANGE, in an order that differs
    // between systems: the first is kept so that the second is not taken for another choice.
    struct PortChoice {
        WORD code;
        int index;
    };

    EventLog& log_;
    HWND hwnd_ = nullptr;
    MainForm* form_ = nullptr;
    UnkeyHotkey* hotkey_ = nullptr;  // the system menu's, once added
    HMENU systemMenu_ = nullptr;
    HMENU limits_ = nullptr;
    bool quitOnDestroy_ = true;
    bool shown_ = false;
    bool startMinimized_ = false;  // asked for before the first show, which takes it
    bool hotkeyRegistered_ = false;

    // windowDpi's at the first layout, then each WM_DPICHANGED's: every size and control change asks it.
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    ScopedFont font_;
    std::array<HWND, kControlCount> controls_{};
    HWND writing_ = nullptr;  // the control the program writes to, if any
    std::optional<PortChoice> portChoice_;
    std::optional<FocusTracker> focus_;
    HWND tooltips_ = nullptr;  // the tooltips' popup, this window's to destroy

    HostMessages hostMessages_;
    std::optional<HostLink> hostLink_;
    std::optional<EventLogWindow> logWindow_;
    std::optional<TaskbarButton> taskbar_;
    CueSound sound_;
};

}  // namespace win32
}  // namespace zelt
