#include "app/radio_line.h"

#include <exception>

#include "app/event_text.h"
#include "common/failure.h"

// Letting go of the radio, and the line through the session's end, sleep and devices coming and
// going, all through the line's own open, close and unkey.

namespace zelt {

// A closed port is opened for the unkey, which then goes out as the open ends; said once.
bool RadioLine::letGo(std::string_view occasion) noexcept {
    heldRequest_.reset();
    if (!mayBeKeyed()) return true;
    written_.clear();
    owed_ = keyed_;
    if (!port_.isOpen()) {
        const bool first = owedOccasion_.empty();
        try {
            owedOccasion_.assign(occasion);
        } catch (...) {
            owedOccasion_.clear();
        }
        if (!opening_) open();
        if (opening_ && first) {
            // "unkey at shut-down: waits for COM1 to open".
            logMade(log_, eventText_, [&] {
                eventText_.assign(occasion).append(": waits for COM");
                appendNumber(eventText_, opening_->number);
                eventText_ += " to open";
            });
        }
        changed();
        return !mayBeKeyed();
    }
    unkeyOnOpenPort(occasion);
    return !mayBeKeyed();
}

// The unkey on the port open now, for the radio on it, logged as `occasion`.
void RadioLine::unkeyOnOpenPort(std::string_view occasion) noexcept {
    written_.clear();
    owed_ = keyed_;
    try {
        unkey(Unkey::IfKeyed);
        logOutcome(log_, eventText_, occasion, written_, nullptr);
    } catch (...) {
        logOutcome(log_, eventText_, occasion, written_, &currentFailure());
    }
    changed();
}

void RadioLine::release() noexcept {
    if (released_) return;
    letGo("unkey at shut-down");
    released_ = true;
    wantOpen_ = false;
    if (!(opening_ && mayBeKeyed())) closeIfOpen();
}

void RadioLine::finishRelease(std::uint32_t milliseconds) noexcept {
    waitForOwedUnkey(milliseconds, "unkey at shut-down");
    closeIfOpen();
}

void RadioLine::sessionEnding(std::uint32_t milliseconds) noexcept {
    sessionEnded_ = true;
    letGo("unkey at session end");
    waitForOwedUnkey(milliseconds, "unkey at session end");
}

// The device may be reset or removed while the machine sleeps: its handle is let go of now, and an
// open still under way is closed as it ends (after taking the unkey, if one is owed).
void RadioLine::suspending(std::uint32_t milliseconds) noexcept {
    log_.add("the machine is going to sleep");
    woken_ = false;
    letGo("unkey before sleep");
    waitForOwedUnkey(milliseconds, "unkey before sleep");
    closeIfOpen();
    wantOpen_ = false;
}

// A handle kept through sleep may reach a device that was reset meanwhile, so it is opened afresh,
// once a wake. A port that a message box holds is left to the box.
void RadioLine::resumed(bool byUser) noexcept {
    if (byUser && woken_) return;
    woken_ = true;
    log_.add("the machine woke up");
    if (held_) return;
    closeIfOpen();
    reconnect();
}

void RadioLine::portRemoved(std::int16_t number) noexcept {
    if (number != target_.number) return;
    logPort(number, " went away");
    closeIfOpen();
}

// The handle of an adapter pulled out stays open without a write to tell; asking it is the one way
// to know before the next request fails on it. A closed port is opened.
void RadioLine::devicesChanged() noexcept {
    if (!port_.isOpen()) {
        reconnect();
        return;
    }
    if (asking_) return;
    asking_ = true;
    askedOf_ = opens_;
    try {
        port_.startAsking();
    } catch (...) {
        answered(false);
    }
}

// An answer about a handle that has been closed since says nothing of the port open now.
void RadioLine::answered(bool answers) noexcept {
    asking_ = false;
    if (!answers && askedOf_ == opens_ && port_.isOpen()) portRemoved(target_.number);
    reconnect();
}

// The port may be back: a closed port is opened (unless a message box holds it, or the program let
// go of the radio), and an unkey that could not be delivered goes out at once, or as the open ends.
void RadioLine::reconnect() noexcept {
    // An open under way (one that sleep no longer wanted, say) is wanted again.
    if (opening_ && !released_) wantOpen_ = true;
    if (!held_ && !released_ && !port_.isOpen() && !opening_) {
        open();
        return;
    }
    // Only for the radio on this line's port: one left on a port moved away from is out of reach.
    if ((held_ || port_.isOpen()) && state() == State::MayBeTransmitting && mayBeKeyed()) {
        letGo(kUndelivered);
    }
}

}  // namespace zelt
