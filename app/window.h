#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelt {

// A key combination as the system registers it for the whole desktop: its modifiers and its
// virtual key, in the system's own numbers.
struct HotkeyRegistration {
    std::uint32_t modifiers = 0;
    std::uint32_t virtualKey = 0;
};

// The two check boxes of the options panel.
enum class CheckBox { RunMinimized, OnTop };

// MainForm's window, as the form speaks to it: the one seam between the behaviour and Windows. The
// form owns every value its controls show and tells the window what to show; the window hands the
// operator's input back as MainForm's events. Nothing shown here runs a reaction. Widths are in
// twips and always refer to the window's normal (restored) size, even while it is minimized.
// Calls that can fail throw Failure; those marked noexcept cannot.
class Window {
  public:
    virtual ~Window() = default;

    // The controls. The indicator paints what the form says it shows (MainForm::transmitting), and
    // a screen reader is told of the change. The port list holds COM1 to COM<count>, the entry at
    // chosen shown (-1: none).
    virtual void showTransmitting() noexcept = 0;
    virtual void showPortList(int count, int chosen) = 0;
    virtual void showLineSettings(const std::string& text) = 0;
    virtual void showCheck(CheckBox box, std::int16_t value) = 0;  // 0 clear, 1 checked, 2 greyed
    // "&More>>" with the panel's controls disabled, or "&Less<<" with them enabled.
    virtual void showPanel(bool open) = 0;

    // The frame: its width beyond the client area, the outer width, the band it sits in.
    virtual float frameWidth() = 0;
    virtual void setOuterWidth(float twips) = 0;
    virtual void setMinimized() = 0;
    virtual void setOnTop(bool onTop) = 0;
    // Closes the window; the program ends once it is gone.
    virtual void close() = 0;

    // What the operator sees and hears besides the controls. The boxes are modal and return once
    // dismissed: a message box with the text and OK alone, and "About zelt".
    virtual void showMessage(const std::string& text) = 0;
    virtual void showAbout(const std::string& text) = 0;
    // Opens the event log window, or brings it to the front when it is open.
    virtual void showEventLog() = 0;
    virtual void beep() noexcept = 0;
    // Plays a WAV image without waiting for it; a cue still playing is cut off by the next.
    virtual void playCue(const std::vector<std::uint8_t>& wave) = 0;
    // The taskbar button: reached afresh once Windows made it (again), then marked while red. A mark
    // before a connect that succeeded does nothing.
    virtual void connectTaskbar() = 0;
    virtual void markTaskbar(bool transmitting) = 0;

    // The window's one timer: fires every period on the window's thread until stopped; starting it
    // again begins a new period.
    virtual void startTimer(std::uint32_t milliseconds) = 0;
    virtual void stopTimer() noexcept = 0;

    // The host's message "REDUDORORU" is registered and seen in front of the window's procedure,
    // for the life of the window.
    virtual void listenToHost() = 0;
    // The one system-wide hotkey: replaced, or taken away. Throws when another program holds the
    // combination; none is registered then.
    virtual void registerHotkey(HotkeyRegistration key) = 0;
    virtual void unregisterHotkey() noexcept = 0;
};

}  // namespace zelt
