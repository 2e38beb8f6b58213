#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace zelt::cue_waves {

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

}  // namespace zelt::cue_waves
