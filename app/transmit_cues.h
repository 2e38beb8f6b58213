#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "app/radio_line.h"
#include "common/event_log.h"
#include "app/window.h"

namespace zelt {

// Tells the operator of each change of the transmit state where the window may not be in sight:
// a short sound (when the operator asked for it) and a mark on the taskbar button. Both follow
// what the indicator shows, red while the radio is or may still be keyed, green once it is
// unkeyed; a change between keyed and may-still-be-keyed shows nothing new and tells nothing.
class TransmitCues {
  public:
    // The window plays the sound and marks its taskbar button.
    TransmitCues(Window& window, EventLog& log);
    TransmitCues(const TransmitCues&) = delete;
    TransmitCues& operator=(const TransmitCues&) = delete;

    bool soundOn() const { return soundOn_; }
    void setSoundOn(bool on) noexcept { soundOn_ = on; }

    // The radio line's state changed.
    void follow(RadioLine::State before, RadioLine::State now) noexcept;
    // Windows made the taskbar button (again): the mark is put back on it if the indicator is red.
    void taskbarButtonCreated(bool red) noexcept;

  private:
    void play(bool red) noexcept;
    void mark(bool red) noexcept;
    // Inside a catch: the failure in force, logged once.
    void logTaskbarFailure() noexcept;
    void logFailure(bool& logged, std::string_view what, std::string_view because,
                    const std::exception& failure) noexcept;

    Window& window_;
    EventLog& log_;
    bool soundOn_ = false;
    bool taskbarConnected_ = false;
    bool soundFailureLogged_ = false;
    bool taskbarFailureLogged_ = false;
    std::vector<std::uint8_t> transmitWave_;  // made at the first cue
    std::vector<std::uint8_t> receiveWave_;
    std::string eventText_;
};

}  // namespace zelt
