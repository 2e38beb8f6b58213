#include "app/transmit_cues.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>
#include <utility>

#include "app/event_text.h"
#include "common/failure.h"

namespace zelt {

void TransmitCues::follow(bool red) noexcept {
    mark(red);
    if (soundOn_) play(red);
}

void TransmitCues::taskbarButtonCreated(bool red) noexcept {
    taskbarConnected_ = false;
    try {
        window_.connectTaskbar();
        taskbarConnected_ = true;
        // A new button carries no mark.
        if (red) window_.markTaskbar(true);
    } catch (...) {
        logOnce(taskbarFailureLogged_, "taskbar: no transmit mark on the button");
    }
}

void TransmitCues::mark(bool red) noexcept {
    if (!taskbarConnected_) return;
    try {
        window_.markTaskbar(red);
    } catch (...) {
        logOnce(taskbarFailureLogged_, "taskbar: no transmit mark on the button");
    }
}

// "cue: transmitting", for every cue handed to the sound.
void TransmitCues::play(bool red) noexcept {
    log_.add(red ? "cue: transmitting" : "cue: receiving");
    try {
        std::vector<std::uint8_t>& wave = red ? transmitWave_ : receiveWave_;
        if (wave.empty()) wave = red ? cue_waves::transmitting() : cue_waves::receiving();
        window_.playCue(wave);
    } catch (...) {
        logOnce(soundFailureLogged_, "cue: not played");
    }
}

// "what: why", said once: a taskbar without marks or a sound device gone for the day stays so,
// and must not fill the log.
void TransmitCues::logOnce(bool& logged, std::string_view what) noexcept {
    if (std::exchange(logged, true)) return;
    const std::exception& failure = currentFailure();
    logMade(log_, eventText_, [&] {
        eventText_.assign(what).append(": ");
        appendFailure(eventText_, failure);
    });
}

namespace cue_waves {

namespace {

constexpr std::uint32_t kHeaderBytes = 44;
constexpr std::uint16_t kBytesPerSample = 2;
constexpr double kAmplitude = 0.3 * 32767;  // loud enough to hear beside a radio, well short of clipping
constexpr std::uint32_t kFadeSamples = kSampleRate / 200;  // 5 ms

void put(std::vector<std::uint8_t>& out, std::string_view tag) {
    out.insert(out.end(), tag.begin(), tag.end());
}

// WAV numbers are little-endian whatever the machine.
void put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putHeader(std::vector<std::uint8_t>& out, std::uint32_t dataBytes) {
    put(out, "RIFF");
    put(out, kHeaderBytes - 8 + dataBytes, 4);
    put(out, "WAVE");
    put(out, "fmt ");
    put(out, 16, 4);  // the size of a PCM format block
    put(out, 1, 2);   // PCM
    put(out, 1, 2);   // mono
    put(out, kSampleRate, 4);
    put(out, kSampleRate * kBytesPerSample, 4);  // bytes a second
    put(out, kBytesPerSample, 2);                // bytes a frame
    put(out, 8 * kBytesPerSample, 2);            // bits a sample
    put(out, "data");
    put(out, dataBytes, 4);
}

}  // namespace

std::vector<std::uint8_t> tones(std::initializer_list<std::uint32_t> frequencies) {
    constexpr std::uint32_t toneSamples = kSampleRate * kToneMilliseconds / 1000;
    const auto dataBytes = static_cast<std::uint32_t>(frequencies.size()) * toneSamples * kBytesPerSample;
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderBytes + dataBytes);
    putHeader(out, dataBytes);
    for (const std::uint32_t hz : frequencies) {
        for (std::uint32_t i = 0; i < toneSamples; ++i) {
            const std::uint32_t edge = std::min(i, toneSamples - 1 - i);
            const double fade = edge < kFadeSamples ? static_cast<double>(edge) / kFadeSamples : 1.0;
            const double phase = 2 * std::numbers::pi * hz * i / kSampleRate;
            const auto sample = static_cast<std::int16_t>(std::lround(kAmplitude * fade * std::sin(phase)));
            put(out, static_cast<std::uint16_t>(sample), 2);
        }
    }
    return out;
}

}  // namespace cue_waves

}  // namespace zelt
