#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "app/logged_platform.h"
#include "common/event_log.h"
#include "hostlink/host_link.h"
#include "port/serial_port.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/operator_ui.h"
#include "ui/timer.h"
#include "ui/window_system.h"

namespace zelt {

struct CatCommand;

// The program's one window object: its controls, its form-level state and its reactions. The
// platform is reached only through the interfaces handed in; the Win32 view binds an HWND to it.
class MainForm {
  public:
    struct Platform {
        SerialPort& radioPort;
        SettingsStore& store;
        WindowSystem& window;
        MessageDialog& messages;
        HostLink& hostLink;
        EventLog& log;
        Timer& timer;  // counts the transmit time limit
        OperatorUi& operatorUi;
    };

    explicit MainForm(Platform platform);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

  private:
    // The port, the store and the message box as every reaction uses them: what they do is logged
    // on the way. Built first, so that radioPort and the others below refer to them made.
    LoggedSerialPort loggedPort_;
    LoggedSettingsStore loggedStore_;
    LoggedMessageDialog loggedMessages_;

  public:
    // The controls, in tab order (the indicator's click target and the indicator last).
    ComboBoxModel portList;
    TextBoxModel lineSettingsBox;
    ControlModel portLabel;
    ControlModel settingsLabel;
    CheckBoxModel runMinimizedBox;
    ButtonModel panelButton;
    CheckBoxModel onTopBox;
    ButtonModel indicatorTarget;
    ShapeModel indicator;
    SerialPort& radioPort;

    // Set by start-up once the controls hold their stored values; the port list and the settings
    // box do nothing before.
    bool loaded() const { return loaded_; }
    // The window's outer width less its client width, in twips, measured once at start-up.
    float frameWidth() const { return frameWidth_; }

    // Start-up: the load reaction, run once before the window is first shown. Never fails.
    void load() noexcept;

    // Keys or unkeys the radio (request 0, state 0 or 1) or closes the program (request 1); other
    // values are ignored. A closed port gets one open attempt first. Throws Failure when the port
    // cannot be opened or the write fails (a write cut short included); the indicator then keeps
    // its colour. While a message box holds the port closed nothing is written: the request fails
    // and the last such request is carried out once the port is open again.
    void ptt(std::int32_t request, std::int32_t state);

    // Closes the window, which ends the program.
    void unload();

    // A request from the host: ptt, logged with what came of it (the bytes written, or the
    // failure, which is then passed on as ptt passed it).
    void hostRequest(std::int32_t request, std::int32_t state);

    // Whether the indicator shows transmit.
    bool transmitting() const { return indicator.fillColor() == kRed; }

    // The system menu's "Transmit": exactly what a click on the indicator does, and fails as it does.
    void menuTransmit();
    // The system menu's "Event log..." and "About zelt...".
    void showEventLog();
    void showAbout();

    // The transmit time limit in force, in seconds; 0 is off. Read at start-up.
    std::uint32_t transmitLimit() const { return transmitLimit_; }
    // The operator chose a limit (0 for off): stored at once, and in force from now; a transmission
    // under way counts it from now. Never fails.
    void chooseTransmitLimit(std::uint32_t seconds) noexcept;
    // The window's timer ran out: the radio has been keyed for the whole limit, so it is unkeyed,
    // the indicator turns green, and the operator hears and can read of it. Never fails.
    void transmitTimerFired() noexcept;

    // The window is going away: a radio left keyed gets the PTT-off block once, best effort, then
    // the port is released. Never fails.
    void windowDestroyed() noexcept;

    // Windows is ending the session and may end the process without destroying the window: a
    // radio left keyed gets the PTT-off block now, once (the later close sends nothing more).
    // Never fails.
    void sessionEnding() noexcept;

    // Serial ports came or went: the port list is read again, and a port that is closed because
    // it was absent or went away is opened again, unless a message box holds it closed. Never fails.
    void portsChanged() noexcept;

    // The machine resumed from sleep: the port's handle may be dead, so it is closed; the next
    // request opens it again. Never fails.
    void resumed() noexcept;

    // The window moved to a screen of another dpi: the frame is measured again, so that the panel
    // toggle keeps the exact widths. Never fails.
    void windowRescaled() noexcept;

    // The port list is about to drop down: COM1 to COM4, then every number up to the highest port
    // present (or the port in force), keeping the chosen entry. Never fails.
    void refreshPortList() noexcept;

  private:
    // The command stream on one port's line. A write that comes back short leaves part of a block
    // there, and the radio would read every later block misaligned.
    struct Stream {
        std::int16_t port = 0;  // the port whose line this is
        std::string partial;    // the bytes of the block in progress
        bool torn = false;      // a realignment is owed before anything else goes out
    };

    // Request 0 with state 0 (false) or 1 (true).
    void transmit(bool on);
    // The one way blocks reach the radio: a torn stream is realigned first.
    void send(const CatCommand& block);
    void realign();
    void write(const std::string& bytes);
    void recordOnLine(const std::string& taken);
    bool streamTorn() const;
    bool radioMayBeKeyed() const;
    void unkeyRadio();
    bool unkeyUnasked(std::string_view what) noexcept;
    void unkeyBeforeLettingGo(std::string_view occasion) noexcept;
    void unkeyRadioLeftBehind();
    void fillPortList();
    // While the settings check's message box is shown the port is held closed; the last request
    // that came meanwhile is carried out once the port is open again.
    void showHoldingThePort(const std::string& text);
    void carryOutHeldRequest();

    // The one place the indicator changes: the time limit (and anything else that follows the
    // transmit state) learns of every change here.
    void setIndicator(std::uint32_t colour);
    void transmittingChanged(bool on) noexcept;
    void startTransmitTimer(std::uint32_t milliseconds) noexcept;
    void stopTransmitTimer() noexcept;

    // The event log: a request as it went (source: who asked), start-up's summary.
    void loggedRequest(std::string_view source, std::int32_t request, std::int32_t state);
    void logOutcome(std::string_view what, const std::exception* failure) noexcept;
    void logStarting();
    void logStart();

    // Reactions, bound to the controls' events in the constructor.
    void toggleTransmit(std::string_view source);
    void togglePanel();
    void runMinimizedClicked();
    void onTopClicked();
    void applyTopmost();
    void portChange() noexcept;
    void settingsChange() noexcept;
    void settingsCheck() noexcept;

    // Start-up's layout steps.
    void measureFrame();
    void collapse();
    void layClickTargetOverIndicator();

    SettingsStore& store_;
    WindowSystem& window_;
    MessageDialog& messages_;
    HostLink& hostLink_;
    EventLog& log_;
    Timer& timer_;
    OperatorUi& operatorUi_;
    bool loaded_ = false;
    float frameWidth_ = 0;
    bool windowGone_ = false;  // the window was destroyed; reactions still under way must not reopen the port
    Stream stream_;
    bool portHeld_ = false;            // a message box holds the port closed
    std::optional<bool> heldRequest_;  // the last request it held up: transmit or not
    std::uint32_t transmitLimit_ = 0;  // seconds; 0 is off
    bool transmitTimerRunning_ = false;
    std::string written_;      // the bytes the request under way put on the line
    std::string requestText_;  // "host: request 0, state 1", reused
    std::string eventText_;    // each event's text is made here, reusing its room
};

}  // namespace zelt
