#include "app/transmit_cues.h"

#include <exception>

#include "app/event_text.h"
#include "ui/cue_waves.h"

namespace zelt {

TransmitCues::TransmitCues(CueSound& sound, TaskbarButton& taskbar, EventLog& log)
    : sound_(sound), taskbar_(taskbar), log_(log) {}

void TransmitCues::follow(RadioLine::State state) noexcept {
    const bool red = state != RadioLine::State::Receiving;
    if (red == red_) return;
    red_ = red;
    mark();
    if (soundOn_) play();
}

void TransmitCues::taskbarButtonCreated() noexcept {
    try {
        taskbar_.connect();
        taskbarConnected_ = true;
    } catch (...) {
        taskbarConnected_ = false;
        logTaskbarFailure();
        return;
    }
    // A new button carries no mark.
    if (red_) mark();
}

void TransmitCues::mark() noexcept {
    if (!taskbarConnected_) return;
    try {
        taskbar_.markTransmitting(red_);
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

// "cue: transmitting"; a cue that cannot be played says why the first time, and only "not played"
// after that, so that a sound device gone for the day does not fill the log with its reason.
void TransmitCues::play() noexcept {
    const std::string_view what = red_ ? "cue: transmitting" : "cue: receiving";
    try {
        std::vector<std::uint8_t>& wave = red_ ? transmitWave_ : receiveWave_;
        if (wave.empty()) wave = red_ ? cue_waves::transmitting() : cue_waves::receiving();
        sound_.play(wave);
        log_.add(what);
    } catch (const std::exception& failure) {
        logFailure(soundFailureLogged_, what, ": not played", failure);
    } catch (...) {
        logFailure(soundFailureLogged_, what, ": not played", unexpectedFailure());
    }
}

// "what: because", with the reason the first time only.
void TransmitCues::logFailure(bool& explained, std::string_view what, std::string_view because,
                              const std::exception& failure) noexcept {
    try {
        eventText_.assign(what);
        eventText_ += because;
        if (!explained) {
            eventText_ += ": ";
            appendFailure(eventText_, failure);
        }
        explained = true;
        log_.add(eventText_);
    } catch (...) {
        // Out of memory: the event is lost and nothing else.
    }
}

}  // namespace zelt
