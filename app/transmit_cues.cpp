#include "app/transmit_cues.h"

#include <exception>

#include "app/event_text.h"
#include "ui/cue_waves.h"

namespace zelt {

TransmitCues::TransmitCues(Window& window, EventLog& log) : window_(window), log_(log) {}

void TransmitCues::follow(RadioLine::State before, RadioLine::State now) noexcept {
    const bool red = now != RadioLine::State::Receiving;
    if (red == (before != RadioLine::State::Receiving)) return;
    mark(red);
    if (soundOn_) play(red);
}

void TransmitCues::taskbarButtonCreated(bool red) noexcept {
    try {
        window_.connectTaskbar();
        taskbarConnected_ = true;
    } catch (...) {
        taskbarConnected_ = false;
        logTaskbarFailure();
        return;
    }
    // A new button carries no mark.
    if (red) mark(red);
}

void TransmitCues::mark(bool red) noexcept {
    if (!taskbarConnected_) return;
    try {
        window_.markTaskbar(red);
    } catch (...) {
        logTaskbarFailure();
    }
}

// Where the taskbar cannot be reached (or has no marks) it stays so: said once, then nothing more.
void TransmitCues::logTaskbarFailure() noexcept {
    if (taskbarFailureLogged_) return;
    try {
        throw;
    } catch (const std::exception& failure) {
        logFailure(taskbarFailureLogged_, "taskbar", ": no transmit mark on the button", failure);
    } catch (...) {
        logFailure(taskbarFailureLogged_, "taskbar", ": no transmit mark on the button", unexpectedFailure());
    }
}

// "cue: transmitting", for every cue handed to the sound; one that cannot be played says why once,
// so that a sound device gone for the day does not fill the log.
void TransmitCues::play(bool red) noexcept {
    log_.add(red ? "cue: transmitting" : "cue: receiving");
    try {
        std::vector<std::uint8_t>& wave = red ? transmitWave_ : receiveWave_;
        if (wave.empty()) wave = red ? cue_waves::transmitting() : cue_waves::receiving();
        window_.playCue(wave);
    } catch (const std::exception& failure) {
        if (!soundFailureLogged_) logFailure(soundFailureLogged_, "cue", ": not played", failure);
    } catch (...) {
        if (!soundFailureLogged_) logFailure(soundFailureLogged_, "cue", ": not played", unexpectedFailure());
    }
}

// "what because: why", logged once.
void TransmitCues::logFailure(bool& logged, std::string_view what, std::string_view because,
                              const std::exception& failure) noexcept {
    logged = true;
    try {
        eventText_.assign(what);
        eventText_ += because;
        eventText_ += ": ";
        appendFailure(eventText_, failure);
        log_.add(eventText_);
    } catch (...) {
        // Out of memory: the event is lost and nothing else.
    }
}

}  // namespace zelt
