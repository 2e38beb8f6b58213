#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/transmit_cues.h"
#include "app/window.h"
#include "fakes/call_log.h"

namespace zelt::testing {

// MainForm's window without a screen. It keeps what it was last told to show, widths in twips,
// every box, cue and timer start; each call that can fail is in the call log, where a test can
// make it fail.
class FakeWindow : public Window {
  public:
    explicit FakeWindow(CallLog& log) : log_(log) {}

    // What the controls show.
    int transmittingShown = 0;  // how often the indicator was told to show the form's state
    int portCount = 4;
    int portChosen = -1;
    std::string lineSettings = "Text1";
    std::int16_t runMinimized = 0;
    std::int16_t onTop = 0;
    bool panelOpen = false;

    // The frame.
    float outer = 4005 + 120;  // the designed client width plus a frame of 120 twips
    float client = 4005;
    bool minimized = false;
    bool closed = false;
    std::vector<bool> onTopCalls;
    std::function<void()> onClose;  // tests wire MainForm::windowDestroyed here

    // Boxes and cues. onShow runs while a message box is "open", as the operator or the host might.
    std::vector<std::string> shown;
    std::function<void()> onShow;
    std::vector<std::string> aboutShown;
    int logWindowShown = 0;
    int beeps = 0;
    std::vector<std::string> played;

    // The timer and the hotkey.
    bool timerRunning = false;
    std::vector<std::uint32_t> timerStarts;  // the period of each start, in milliseconds
    int timerStops = 0;
    std::optional<HotkeyRegistration> hotkey;

    void showTransmitting() noexcept override { ++transmittingShown; }
    void showPortList(int count, int chosen) override {
        portCount = count;
        portChosen = chosen;
    }
    void showLineSettings(const std::string& text) override { lineSettings = text; }
    void showCheck(CheckBox box, std::int16_t value) override {
        (box == CheckBox::OnTop ? onTop : runMinimized) = value;
    }
    void showPanel(bool open) override { panelOpen = open; }

    float frameWidth() override {
        log_.call("frameWidth");
        return outer - client;
    }
    void setOuterWidth(float twips) override {
        log_.call("setOuterWidth", std::to_string(twips));
        client += twips - outer;
        outer = twips;
    }
    void setMinimized() override {
        log_.call("setMinimized");
        minimized = true;
    }
    void setOnTop(bool onTop) override {
        log_.call("setOnTop", onTop ? "1" : "0");
        onTopCalls.push_back(onTop);
    }
    void close() override {
        log_.call("closeWindow");
        closed = true;
        if (onClose) onClose();
    }

    void showMessage(const std::string& text) override {
        log_.call("messageBox", text);
        shown.push_back(text);
        if (onShow) onShow();
    }
    void showAbout(const std::string& text) override {
        log_.call("showAbout");
        aboutShown.push_back(text);
    }
    void showEventLog() override {
        log_.call("showEventLog");
        ++logWindowShown;
    }
    void beep() noexcept override { ++beeps; }
    void playCue(const std::vector<std::uint8_t>& wave) override {
        played.emplace_back(wave == cue_waves::transmitting() ? "transmitting" : "receiving");
        log_.call("playCue", played.back());
    }
    void connectTaskbar() override { log_.call("connectTaskbar"); }
    void markTaskbar(bool on) override { log_.call("markTransmitting", on ? "on" : "off"); }

    void startTimer(std::uint32_t milliseconds) override {
        log_.call("startTimer", std::to_string(milliseconds));
        timerRunning = true;
        timerStarts.push_back(milliseconds);
    }
    void stopTimer() noexcept override {
        timerRunning = false;
        ++timerStops;
    }

    void listenToHost() override { log_.call("listenToHost"); }
    void registerHotkey(HotkeyRegistration key) override {
        log_.call("registerKey", std::to_string(key.modifiers) + "," + std::to_string(key.virtualKey));
        hotkey = key;
    }
    void unregisterHotkey() noexcept override { hotkey.reset(); }

  private:
    CallLog& log_;
};

}  // namespace zelt::testing
