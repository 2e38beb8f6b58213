#include "app/radio_line.h"

// The radio line through the session's end, sleep and the devices coming and going: each lets go
// of the radio or takes it up again through the line's own open, close and unkey.

namespace zelt {

void RadioLine::sessionEnding() noexcept {
    letGo("unkey at session end");
}

// The device may be reset or removed while the machine sleeps: its handle is let go of now.
void RadioLine::suspending() noexcept {
    log_.add("the machine is going to sleep");
    letGo("unkey before sleep");
    closeIfOpen();
}

// A handle kept through sleep may reach a device that was reset meanwhile, so it is opened afresh.
// A port that a message box holds is left to the box.
void RadioLine::resumed() noexcept {
    log_.add("the machine woke up");
    if (held_) return;
    closeIfOpen();
    reconnect();
}

// ---- Devices ----

void RadioLine::portRemoved(std::int16_t number) noexcept {
    if (number != number_) return;
    logPort(" went away");
    closeIfOpen();
}

void RadioLine::portArrived(std::int16_t number) noexcept {
    if (number == number_) reconnect();
}

// The handle of an adapter pulled out stays open without a write to tell; asking it is the one way
// to know before the next request fails on it.
void RadioLine::devicesChanged() noexcept {
    bool gone = false;
    try {
        gone = port_.isOpen() && !port_.answers();
    } catch (...) {
        gone = true;
    }
    if (gone) portRemoved(number_);
    reconnect();
}

// The port may be back: a closed port is opened (unless a message box holds it, or the program let
// go of the radio), and an unkey that could not be delivered goes out at once. Nothing is reported
// but in the log: nobody asked for it.
void RadioLine::reconnect() noexcept {
    bool reachable = held_;
    try {
        if (!held_ && !released_ && !port_.isOpen()) open();
        reachable = reachable || port_.isOpen();
    } catch (...) {
        // Logged; the next request or device change tries again.
    }
    if (reachable && state() == State::MayBeTransmitting) letGo("unkey that could not be delivered before");
}

}  // namespace zelt
