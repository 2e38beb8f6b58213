#pragma once

#include <cstdint>
#include <vector>

namespace zelt {

// Plays a short sound from a WAV image in memory, without waiting for it at all; a sound still
// playing is cut off by the next. Throws Failure when a cue cannot be played: this one, or, where
// sounds are played on a thread of their own, the one before.
class CueSound {
  public:
    virtual ~CueSound() = default;
    virtual void play(const std::vector<std::uint8_t>& wave) = 0;
};

// The program's button on the taskbar, where a minimized or covered window is still seen.
class TaskbarButton {
  public:
    virtual ~TaskbarButton() = default;
    // Windows made the button, or made it again (the taskbar restarted): the taskbar is reached
    // afresh. Throws Failure where there is no taskbar to reach.
    virtual void connect() = 0;
    // Puts the transmit mark on the button (true) or takes it off. Throws Failure when the
    // taskbar refuses; does nothing before a connect that succeeded.
    virtual void markTransmitting(bool transmitting) = 0;
};

}  // namespace zelt
