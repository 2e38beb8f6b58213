#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/logged_platform.h"
#include "app/radio_line.h"
#include "app/transmit_cues.h"
#include "app/transmit_limit.h"
#include "common/event_log.h"
#include "hostlink/host_link.h"
#include "port/serial_port.h"
#include "settings/settings_store.h"
#include "ui/controls.h"
#include "ui/operator_ui.h"
#include "ui/timer.h"
#include "ui/window_system.h"

namespace zelt {

// The program's one window object: its controls, its form-level state and its reactions. What
// reaches the radio is the radio line's; the form asks it. The platform is reached only through
// the interfaces handed in; the Win32 view binds an HWND to it.
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
        CueSound& sound;         // the transmit cues, when the operator asks for them
        TaskbarButton& taskbar;  // the transmit mark on the taskbar button
    };

    explicit MainForm(Platform platform);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

  private:
    // The store and the message box as every reaction uses them: what they do is logged on the
    // way. Built first, so that the reactions below refer to them made.
    LoggedSettingsStore loggedStore_;
    LoggedMessageDialog loggedMessages_;
    RadioLine line_;

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

    // What the radio was told, the port it is on and its settings.
    const RadioLine& line() const { return line_; }
    // Set by start-up once the controls hold their stored values; the port list and the settings
    // box do nothing before.
    bool loaded() const { return loaded_; }
    // The window's outer width less its client width, in twips, measured once at start-up.
    float frameWidth() const { return frameWidth_; }

    // Start-up: the load reaction, run once before the window is first shown. Never fails.
    void load() noexcept;

    // Keys or unkeys the radio (request 0, state 0 or 1) or closes the program (request 1); other
    // values are ignored. Throws Failure when the block cannot be written (the indicator then
    // shows what it showed); see RadioLine::request.
    void ptt(std::int32_t request, std::int32_t state);

    // Closes the window, which ends the program. A radio that may be keyed is unkeyed first.
    void unload();

    // A request from the host: ptt, logged with what came of it (the bytes written, or the
    // failure, which is then passed on as ptt passed it). While the transmit time limit holds, a
    // key request is refused.
    void hostRequest(std::int32_t request, std::int32_t state);

    // Whether the indicator shows transmit.
    bool transmitting() const { return line_.state() != RadioLine::State::Receiving; }

    // The system menu's "Transmit": exactly what a click on the indicator does, and fails as it does.
    void menuTransmit();
    // The system menu's "Event log..." and "About zelt...".
    void showEventLog();
    void showAbout();

    // The transmit time limit in force, in seconds; 0 is off. Read at start-up.
    std::uint32_t transmitLimit() const { return limit_.seconds(); }
    // The operator chose a limit (0 for off): stored at once, and in force from now. Never fails.
    void chooseTransmitLimit(std::uint32_t seconds) noexcept;
    // Whether every change of the transmit state sounds its cue. Read at start-up; off by default.
    bool soundOn() const { return cues_.soundOn(); }
    // The operator turned the cues on or off: stored at once, and in force from now. Never fails.
    void chooseSound(bool on) noexcept;
    // Windows made the window's taskbar button, or made it again. Never fails.
    void taskbarButtonCreated() noexcept { cues_.taskbarButtonCreated(); }

    // The operator pressed the unkey hotkey: the radio is unkeyed, and the host's key requests are
    // refused until it unkeys or the operator keys by hand. Never fails.
    void unkeyByHotkey() noexcept;
    // Another zelt was started in this session and handed over to this one. Never fails.
    void secondStartTurnedAway() noexcept;

    // The window's timer ran out. Never fails.
    void transmitTimerFired() noexcept;

    // The window is going away: a radio left keyed is unkeyed, then the port is released. Never fails.
    void windowDestroyed() noexcept;
    // The window is gone: an unkey owed to a port still opening gets a few seconds to go out, and
    // the port is let go of. Never fails.
    void windowGone() noexcept;
    // Windows is ending the session and may end the process without destroying the window: a
    // radio left keyed is unkeyed now, and no key goes out afterwards. Never fails.
    void sessionEnding() noexcept;

    // A serial port was removed or arrived (Windows names it), or devices changed without a name:
    // the port list is read again, and the radio's port follows. Never fail.
    void portRemoved(std::int16_t number) noexcept;
    void portArrived(std::int16_t number) noexcept;
    void devicesChanged() noexcept;
    // The machine goes to sleep, or woke up (byUser: the second message of a wake a user made).
    // Never fail.
    void suspending() noexcept;
    void resumed(bool byUser) noexcept;

    // The window moved to a screen of another dpi: the frame is measured again, so that the panel
    // toggle keeps the exact widths. Never fails.
    void windowRescaled() noexcept;

    // The port list is about to drop down: COM1 to COM4, then every number up to the highest port
    // present (or the port in force), keeping the chosen entry. Never fails.
    void refreshPortList() noexcept;

  private:
    void radioStateChanged(RadioLine::State state) noexcept;
    void fillPortList();

    // A request as it went (source: who asked), with what came of it, in the event log.
    void loggedRequest(std::string_view source, std::int32_t request, std::int32_t state);
    void logStarting();
    void logStart();

    // Reactions, bound to the controls' events in the constructor.
    void toggleTransmit(std::string_view source);
    void togglePanel();
    void runMinimizedClicked();
    void onTopClicked();
    void applyTopmost();
    void portChange() noexcept;
    void portError() noexcept;
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
    OperatorUi& operatorUi_;
    TransmitLimit limit_;
    TransmitCues cues_;
    bool loaded_ = false;
    float frameWidth_ = 0;
    std::string requestText_;  // "host: request 0, state 1", reused
    std::string eventText_;    // each event's text is made here, reusing its room
};

}  // namespace zelt
