#include "app/radio_line.h"

#include <exception>
#include <utility>

#include "app/event_text.h"
#include "common/failure.h"

// The radio line's opens and closes. An open runs on the port's own thread and ends here, on the
// window's thread, taking up what waited for it: an owed unkey, a held request, the open wanted since.

namespace zelt {

// A port already open (only a close that failed leaves one) refuses the open, which then fails as
// any other.
void RadioLine::open(std::function<void()> onFailed) noexcept {
    wantOpen_ = true;
    onOpenFailed_ = std::move(onFailed);
    if (!opening_) startOpen();
}

void RadioLine::close() {
    wantOpen_ = false;
    onOpenFailed_ = nullptr;
    port_.close();
    asking_ = false;  // an answer still to come is about the handle just closed, and stale
    logPort(target_.number, " closed");
}

void RadioLine::closeIfOpen() noexcept {
    try {
        if (port_.isOpen()) close();
    } catch (...) {
        // A port that will not close is dropped with the program at the latest.
    }
}

// The target is recorded before the port is asked, since an open may end before the call returns.
// A port that cannot even start an open has failed it.
void RadioLine::startOpen() noexcept {
    opening_ = target_;
    waitedOut_ = false;
    try {
        port_.startOpen(target_.number, target_.settings, target_.lines);
    } catch (...) {
        if (opening_) openEnded(&currentFailure());
    }
}

// An open on the target in force takes the unkey the radio is owed and a request a message box held
// up; a stale one is closed at once, and the open wanted now follows. An unkey owed to the radio on
// the port that opened goes out on it first, wanted or not: the radio on any other port was never keyed.
void RadioLine::openEnded(const std::exception* failure) noexcept {
    if (!opening_) return;
    const Target ended = *std::exchange(opening_, std::nullopt);
    const bool current = ended == target_;
    if (failure != nullptr) {
        logPort(ended.number, " could not be opened: ", failure);
        // No later open reaches the radio on a port that was moved away from.
        if (current || ended.number != target_.number) {
            if (!owedOccasion_.empty() && mayBeKeyedOn(ended.number)) {
                logOutcome(log_, eventText_, owedOccasion_, {}, failure);
            }
            owedOccasion_.clear();
        }
        if (current) {
            heldRequest_.reset();
            if (auto react = std::exchange(onOpenFailed_, nullptr); react && wantOpen_) react();
        } else if (wantOpen_ && !released_) {
            startOpen();
        }
        return;
    }
    openOn_ = ended.number;
    if (!current) {
        // Moved away from: the old radio takes the unkey owed to it before its port is let go of.
        if (ended.number != target_.number && mayBeKeyedOn(ended.number) &&
            (state() == State::MayBeTransmitting || !owedOccasion_.empty())) {
            const std::string occasion = std::exchange(owedOccasion_, {});
            unkeyOnOpenPort(occasion.empty() ? kUndelivered : occasion);
        }
        logPort(ended.number, " opened (", nullptr, ended.text, ") and closed again: no longer wanted");
        port_.close();
        if (wantOpen_ && !released_) startOpen();
        return;
    }
    ++opens_;
    onOpenFailed_ = nullptr;
    logPort(ended.number, " opened (", nullptr, ended.text, ")");
    // Only an unkey owed: a radio keyed as asked stays keyed when its port is merely reopened.
    if (mayBeKeyed() && (state() == State::MayBeTransmitting || !owedOccasion_.empty())) {
        // Moved out first: the unkey's own letGo finds no open to wait for.
        const std::string occasion = std::exchange(owedOccasion_, {});
        letGo(occasion.empty() ? kUndelivered : occasion);
    }
    owedOccasion_.clear();
    if (heldRequest_ && !held_) carryOutHeldRequest();  // the box is gone, and waited for this open
    if (!wantOpen_ || released_) closeIfOpen();
}

// "COM1 opened (4800,n,8,2)", "COM1 could not be opened: why".
void RadioLine::logPort(std::int16_t number, std::string_view what, const std::exception* failure,
                        std::string_view settings, std::string_view tail) noexcept {
    logMade(log_, eventText_, [&] {
        eventText_.assign("COM");
        appendNumber(eventText_, number);
        eventText_ += what;
        if (failure != nullptr) appendFailure(eventText_, *failure);
        eventText_.append(settings).append(tail);
    });
}

// Waits a bounded time for the open under way to take the unkey owed; says so when it does not. Once
// such a wait has run out on an open, no later one waits for it again.
void RadioLine::waitForOwedUnkey(std::uint32_t milliseconds, std::string_view occasion) noexcept {
    if (!opening_ || !mayBeKeyed() || waitedOut_) return;
    const std::int16_t number = opening_->number;
    bool ended = false;
    try {
        ended = port_.waitForOpen(milliseconds);
    } catch (...) {
        // As an open that did not end in time.
    }
    if (ended || !mayBeKeyed()) return;
    waitedOut_ = true;
    try {
        const Failure late(
            failure_code::kPortNotOpen,
            "COM" + std::to_string(number) + " did not open within " + std::to_string(milliseconds) + " ms");
        logOutcome(log_, eventText_, occasion, {}, &late);
    } catch (...) {
        // Out of memory: the event is lost.
    }
}

}  // namespace zelt
