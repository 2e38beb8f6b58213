#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/radio_line.h"
#include "app/transmit_cues.h"
#include "app/transmit_limit.h"
#include "app/window.h"
#include "common/event_log.h"
#include "port/serial_port.h"
#include "settings/settings_store.h"

namespace zelt {

// The program's one window object: every control's value, its reactions, and start-up; the events
// below are the operator's input as Window hands it on, and what reaches the radio is the line's.
// Setting a value never runs a reaction: start-up calls those it needs. All on the window's thread.
class MainForm {
  public:
    struct Platform {
        SerialPort& radioPort;
        SettingsStore& store;
        Window& window;
        EventLog& log;
    };

    explicit MainForm(Platform platform);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // ---- What the controls show ----

    // Whether the indicator shows transmit: red while the radio is, or may still be, keyed.
    bool transmitting() const { return line_.state() != RadioLine::State::Receiving; }
    // The port list: COM1 to COM<portCount>, and the position chosen (-1: none).
    int portCount() const { return portCount_; }
    std::int16_t chosenPort() const { return chosenPort_; }
    const std::string& lineSettingsText() const { return lineSettingsText_; }
    // A check box's value: 0 clear, 1 checked, 2 greyed.
    std::int16_t check(CheckBox box) const { return box == CheckBox::OnTop ? onTop_ : runMinimized_; }
    // Whether the options panel is open ("&Less<<") or collapsed ("&More>>").
    bool panelOpen() const { return panelOpen_; }

    // What the radio was told, the port it is on and its settings.
    const RadioLine& line() const { return line_; }
    // Set once the controls hold their stored values; the port list and settings box wait for it.
    bool loaded() const { return loaded_; }
    // The window's outer less its client width, in twips, measured at start-up and at a dpi change.
    float frameWidth() const { return frameWidth_; }

    // ---- Start-up and the end ----

    // Start-up: the load reaction, run once before the window is first shown.
    void load() noexcept;
    // Closes the window, which ends the program. A radio that may be keyed is unkeyed first.
    void unload();
    // The window is going away: a radio left keyed is unkeyed, then the port is released.
    void windowDestroyed() noexcept {
        limit_.stop();
        line_.release();
    }
    // The window is gone: an unkey owed to a port still opening gets a few seconds.
    void windowGone() noexcept { line_.finishRelease(RadioLine::kEndingWaitMs); }
    // The session ends, and the process may end without the window's end (RadioLine::sessionEnding).
    void sessionEnding() noexcept { line_.sessionEnding(RadioLine::kEndingWaitMs); }

    // ---- The operator's input on the controls ----

    // A click on the indicator toggles the radio; throws when the toggle failed.
    void indicatorClicked() { toggleTransmit("indicator click"); }
    // "&More>>" / "&Less<<" opens or collapses the options panel.
    void panelButtonClicked();
    // Clear becomes checked, anything else clear; stored at once.
    void checkBoxClicked(CheckBox box) noexcept;
    // The list drops down: COM1 to COM4, then up to the highest port present or in force.
    void portListOpening() noexcept;
    // The operator picked an entry: the radio moves to its port, whose number is stored.
    void portChosen(std::int16_t position) noexcept;
    // Every edit of the settings box, with its whole text, even one that leaves the text as it was.
    void lineSettingsEdited(std::string text) noexcept;
    // The operator left the settings box for another control.
    void lineSettingsLeft() noexcept;
    // Another dpi: the frame is measured again, so the panel keeps its exact widths.
    void windowRescaled() noexcept;

    // ---- Requests ----

    // Keys or unkeys (request 0, state 0 or 1) or closes the program (request 1); other values are
    // ignored. Throws Failure when the block cannot be written; see RadioLine::request.
    void ptt(std::int32_t request, std::int32_t state);
    // The host's request: ptt, logged with what came of it; a key is refused while the host is held off.
    void hostRequest(std::int32_t request, std::int32_t state);

    // ---- The system menu's extras ----

    // "Transmit": exactly what a click on the indicator does, and fails as it does.
    void menuTransmit() { toggleTransmit("menu Transmit"); }
    // "Event log..." and "About zelt...".
    void showEventLog() { window_.showEventLog(); }
    void showAbout();
    // The transmit time limit in force, in seconds; 0 is off. Read at start-up.
    std::uint32_t transmitLimit() const { return limit_.seconds(); }
    // Stored at once, and in force from now (0 is off).
    void chooseTransmitLimit(std::uint32_t seconds) noexcept;
    // Whether every change of the transmit state sounds its cue. Read at start-up; off by default.
    bool soundOn() const { return cues_.soundOn(); }
    // Stored at once, and in force from now.
    void chooseSound(bool on) noexcept;

    // ---- What Windows tells ----

    // Windows made the window's taskbar button, or made it again.
    void taskbarButtonCreated() noexcept { cues_.taskbarButtonCreated(transmitting()); }
    // The unkey hotkey: the radio is unkeyed, and the host held off as after the time limit.
    void unkeyByHotkey() noexcept;
    // Another zelt was started in this session and handed over to this one. The second copy could not
    // open the port anyway; a host finding it by its caption would have talked to it without the radio.
    void secondStartTurnedAway() noexcept {
        log_.add("a second start of zelt was turned away: one zelt per desktop");
    }
    void transmitTimerFired() noexcept { limit_.expired(); }
    // A port went or came, or devices changed unnamed: the radio's port follows.
    void portRemoved(std::int16_t number) noexcept;
    void portArrived(std::int16_t number) noexcept;
    void devicesChanged() noexcept;
    // Sleep, and the wake (byUser: the second message of a user's wake).
    void suspending() noexcept { line_.suspending(RadioLine::kSleepWaitMs); }
    void resumed(bool byUser) noexcept {
        if (loaded_) line_.resumed(byUser);
    }

  private:
    void radioStateChanged(RadioLine::State before, RadioLine::State now) noexcept;

    // The controls' values, shown as set; a value a control cannot hold fails, changing nothing.
    void fillPortList();
    void choosePort(std::int16_t position);
    void setCheck(CheckBox box, std::int16_t value);

    void toggleTransmit(std::string_view source);
    void storeCheck(CheckBox box);
    // Only a checked box (1) puts the window on top; unchecked and greyed keep it out.
    void applyTopmost() { window_.setOnTop(onTop_ == 1); }
    // Every reaction's message box, logged; one that cannot be shown is given up on.
    void showMessage(const std::string& text) noexcept;

    // A request as it went (source: who asked), with what came of it, in the event log.
    void loggedRequest(std::string_view source, std::int32_t request, std::int32_t state);

    SettingsStore& store_;
    Window& window_;
    EventLog& log_;
    RadioLine line_;
    TransmitLimit limit_;
    TransmitCues cues_;

    int portCount_ = 4;
    std::int16_t chosenPort_ = -1;
    std::string lineSettingsText_ = "Text1";  // the designer's text, until start-up reads the store
    std::int16_t runMinimized_ = 0;
    std::int16_t onTop_ = 0;
    bool panelOpen_ = false;

    bool loaded_ = false;
    float frameWidth_ = 0;
    std::string requestText_;  // "host: request 0, state 1", reused
    std::string eventText_;    // each event's text is made here, reusing its room
};

// The version the program calls itself by; the executable's version block says the same.
inline constexpr std::string_view kVersion = "3.00";

}  // namespace zelt
