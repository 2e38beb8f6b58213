#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelt {

// A key combination as the system registers it for the whole desktop, in the system's own numbers.
struct HotkeyRegistration {
    std::uint32_t modifiers = 0;
    std::uint32_t virtualKey = 0;
};

// The two check boxes of the options panel.
enum class CheckBox { RunMinimized, OnTop };

// MainForm's window as the form speaks to it, the one seam between the behaviour and Windows: the
// form owns every value its controls show and tells the window what to show, and the window hands
// the operator's input back as MainForm's events; nothing shown runs a reaction. Widths are twips of
// the normal (restored) window, even while it is minimized. Calls not marked noexcept throw Failure.
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

// What MainForm adds to its window's system menu, below the system's own items.
namespace system_menu {
inline constexpr std::string_view kTransmit = "Transmit";                  // checked while transmitting
inline constexpr std::string_view kSound = "Sound on transmit change";     // checked while on
inline constexpr std::string_view kUnkeyHotkey = "Unkey hotkey...";        // opens its dialog
inline constexpr std::string_view kTransmitLimit = "Transmit time limit";  // a submenu of the choices
inline constexpr std::string_view kEventLog = "Event log...";
inline constexpr std::string_view kAbout = "About zelt...";

struct LimitChoice {
    std::uint32_t seconds;  // 0 is off
    std::string_view text;
};
inline constexpr std::array<LimitChoice, 5> kLimitChoices{{
    {0, "Off"},
    {60, "1 minute"},
    {180, "3 minutes"},
    {300, "5 minutes"},
    {600, "10 minutes"},
}};
}  // namespace system_menu

// A place in twips, from the top-left corner of the window's client area.
struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    bool operator==(const TwipsRect&) const = default;
};

}  // namespace zelt

namespace zelt::layout {

// The window as designed, in twips (kTwipsPerInch to the inch, 15 to a pixel at 96 dpi).
inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr float kDesignedClientWidth = 4005;
inline constexpr float kClientHeight = 1605;

inline constexpr TwipsRect kPortList{1560, 240, 1215, 315};
inline constexpr TwipsRect kLineSettingsBox{1560, 840, 2295, 285};
inline constexpr TwipsRect kPortLabel{1560, 0, 690, 195};
inline constexpr TwipsRect kSettingsLabel{1560, 600, 1515, 195};
inline constexpr TwipsRect kRunMinimizedBox{1560, 1200, 1335, 255};
inline constexpr TwipsRect kPanelButton{105, 1080, 975, 375};
inline constexpr TwipsRect kOnTopBox{3120, 1200, 615, 255};
// The indicator's click target lies exactly over it.
inline constexpr TwipsRect kIndicator{285, 240, 615, 495};

inline constexpr const char* kCaption = "DALMOR ZELT V3";
inline constexpr const char* kMoreCaption = "&More>>";
inline constexpr const char* kLessCaption = "&Less<<";

// Outer width with the panel hidden: panelButton centred, with its left margin on either side.
inline float collapsedOuterWidth(const TwipsRect& panelButton, float frameWidth) {
    return static_cast<float>(2.0 * panelButton.left + panelButton.width + frameWidth);
}

// Outer width with the panel shown: lineSettingsBox's right edge plus a margin of one frame width.
inline float expandedOuterWidth(const TwipsRect& lineSettingsBox, float frameWidth) {
    return static_cast<float>((double{lineSettingsBox.width} + lineSettingsBox.left) +
                              (double{frameWidth} + frameWidth));
}

// Twips to device pixels at the given dots per inch, rounded to the nearest pixel.
inline int twipsToPixels(float twips, int dpi) {
    return static_cast<int>(std::lround(double{twips} * dpi / kTwipsPerInch));
}

inline float pixelsToTwips(int pixels, int dpi) {
    return static_cast<float>(pixels * kTwipsPerInch / dpi);
}

}  // namespace zelt::layout
