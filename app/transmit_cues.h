#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "app/window.h"
#include "common/event_log.h"

namespace zelt {

namespace cue_waves {

// The transmit cues as WAV images in memory: 16-bit mono PCM, a pair of short tones each, rising
// for transmitting and falling for receiving, so that the two tell apart by ear without a look.
inline constexpr std::uint32_t kSampleRate = 22050;
inline constexpr std::uint32_t kToneMilliseconds = 80;  // two tones: 160 ms a cue
inline constexpr std::uint32_t kLowHz = 660;
inline constexpr std::uint32_t kHighHz = 990;  // a fifth above

// One tone of kToneMilliseconds per frequency, in that order, each faded in and out so that it
// does not click, as a whole RIFF/WAVE file.
std::vector<std::uint8_t> tones(std::initializer_list<std::uint32_t> frequencies);

inline std::vector<std::uint8_t> transmitting() {
    return tones({kLowHz, kHighHz});
}
inline std::vector<std::uint8_t> receiving() {
    return tones({kHighHz, kLowHz});
}

}  // namespace cue_waves

// Tells the operator, where the window may not be in sight, that the indicator turned red or green:
// a short sound (when the operator asked for it) and a mark on the taskbar button, both the window's.
class TransmitCues {
  public:
    TransmitCues(Window& window, EventLog& log) : window_(window), log_(log) {}
    TransmitCues(const TransmitCues&) = delete;
    TransmitCues& operator=(const TransmitCues&) = delete;

    bool soundOn() const { return soundOn_; }
    void setSoundOn(bool on) noexcept { soundOn_ = on; }

    // The indicator turned red or green.
    void follow(bool red) noexcept;
    // Windows made the taskbar button (again): the mark is put back on it if the indicator is red.
    void taskbarButtonCreated(bool red) noexcept;

  private:
    void play(bool red) noexcept;
    void mark(bool red) noexcept;
    // Inside a catch: the failure in force, logged once.
    void logOnce(bool& logged, std::string_view what) noexcept;

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
