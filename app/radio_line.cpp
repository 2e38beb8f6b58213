#include "app/radio_line.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "app/cat_commands.h"
#include "app/event_text.h"
#include "common/failure.h"

namespace zelt {

RadioLine::RadioLine(SerialPort& port, EventLog& log)
    : port_(port), log_(log), settings_(*parseLineSettings(settingsText_)) {
    port_.onOpenEnded = [this](const std::exception* failure) { openEnded(failure); };
    port_.onAnswered = [this](bool answers) { answered(answers); };
}

// The port may outlive the line: nothing it tells afterwards reaches a line that is gone.
RadioLine::~RadioLine() {
    port_.onOpenEnded = nullptr;
    port_.onAnswered = nullptr;
}

RadioLine::State RadioLine::state() const {
    if (!keyed_) return State::Receiving;
    return owed_ ? State::MayBeTransmitting : State::Transmitting;
}

// ---- The port ----

void RadioLine::setPortNumber(std::int16_t number) {
    if (number < 1 || number > kHighestPort) {
        throw Failure(failure_code::kInvalidPropertyValue, "invalid port number " + std::to_string(number));
    }
    number_ = number;
}

void RadioLine::setLineSettings(const std::string& text) {
    const auto parsed = parseLineSettings(text);
    if (!parsed) throw Failure(failure_code::kInvalidPropertyValue, "invalid line settings \"" + text + "\"");
    settingsText_ = text;
    settings_ = *parsed;
}

bool RadioLine::isOpen() const {
    return port_.isOpen();
}

std::vector<std::int16_t> RadioLine::presentPorts() const {
    return port_.presentPorts();
}

// A port already open (only a close that failed leaves one) refuses the open, which then fails as
// any other.
void RadioLine::open(std::function<void()> onFailed) {
    wantOpen_ = true;
    onOpenFailed_ = std::move(onFailed);
    if (!opening_) startOpen();
}

void RadioLine::close() {
    wantOpen_ = false;
    onOpenFailed_ = nullptr;
    const std::int16_t number = openOn_ ? openOn_->number : number_;
    port_.close();
    openOn_.reset();
    logPort(number, " closed");
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
    opening_ = target();
    waitedOut_ = false;
    try {
        port_.startOpen(number_, settings_, lines_);
    } catch (const std::exception& failure) {
        if (opening_) openEnded(&failure);
    } catch (...) {
        if (opening_) openEnded(&unexpectedFailure());
    }
}

// An open ended. One on the target in force takes the unkey the radio is owed and a request a
// message box held up; one that a later change made pointless is closed at once, and the open
// wanted now follows it.
void RadioLine::openEnded(const std::exception* failure) noexcept {
    if (!opening_) return;
    const Target ended = *std::exchange(opening_, std::nullopt);
    const bool current = ended == target();
    if (failure != nullptr) {
        logPort(ended.number, " could not be opened: ", failure);
        if (current) {
            heldRequest_.reset();
            heldAwaitsOpen_ = false;
            if (!owedOccasion_.empty() && mayBeKeyed()) {
                logOutcome(log_, eventText_, owedOccasion_, {}, failure);
            }
            owedOccasion_.clear();
            if (auto react = std::exchange(onOpenFailed_, nullptr); react && wantOpen_) react();
        } else if (wantOpen_ && !released_) {
            startOpen();
        }
        return;
    }
    if (!current) {
        logPort(ended.number, " opened and closed again: no longer wanted");
        port_.close();
        if (wantOpen_ && !released_) startOpen();
        return;
    }
    ++opens_;
    openOn_ = ended;
    onOpenFailed_ = nullptr;
    logPort(ended.number, " opened (", nullptr, settingsText_);
    // Only an unkey owed: a radio keyed as asked stays keyed when its port is merely reopened.
    if (mayBeKeyed() && (state() == State::MayBeTransmitting || !owedOccasion_.empty())) {
        // Moved out first: the unkey's own letGo finds no open to wait for.
        const std::string occasion = std::exchange(owedOccasion_, {});
        letGo(occasion.empty() ? std::string_view("unkey that could not be delivered before") : occasion);
    }
    owedOccasion_.clear();
    if (heldAwaitsOpen_) carryOutHeldRequest();
    if (!wantOpen_ || released_) closeIfOpen();
}

// "COM1 opened (4800,n,8,2)", "COM1 could not be opened: why".
void RadioLine::logPort(std::int16_t number, std::string_view what, const std::exception* failure,
                        std::string_view settings) noexcept {
    try {
        eventText_.assign("COM");
        appendNumber(eventText_, number);
        eventText_ += what;
        if (failure != nullptr) appendFailure(eventText_, *failure);
        if (!settings.empty()) eventText_.append(settings).append(")");
        log_.add(eventText_);
    } catch (...) {
        // Out of memory: the event is lost, the port's state is not.
    }
}

// Waits a bounded time for the open under way to take the unkey owed; says so when it does not.
void RadioLine::waitForOpen(std::uint32_t milliseconds, std::string_view occasion) noexcept {
    bool ended = false;
    try {
        ended = port_.waitForOpen(milliseconds);
    } catch (...) {
        // As an open that did not end in time.
    }
    if (ended || !mayBeKeyed()) return;
    waitedOut_ = true;
    try {
        std::string why = "COM";
        appendNumber(why, number_);
        why += " did not open within ";
        appendNumber(why, milliseconds);
        why += " ms";
        const Failure late(failure_code::kPortNotOpen, why);
        logOutcome(log_, eventText_, occasion, {}, &late);
    } catch (...) {
        // Out of memory: the event is lost.
    }
}

// ---- Requests ----

void RadioLine::request(bool transmit) {
    written_.clear();
    // An unkey asked for is owed from now until it reaches the radio whole.
    if (!transmit) owed_ = keyed_;
    try {
        if (held_) {
            heldRequest_ = transmit;
            throw Failure(failure_code::kPortNotOpen, "the port is held closed while a message box is shown");
        }
        // A newer request makes the one a message box held up stale.
        heldRequest_.reset();
        heldAwaitsOpen_ = false;
        if (released_) throw Failure(failure_code::kPortNotOpen, "the program is letting go of the radio");
        if (transmit && sessionEnded_) {
            throw Failure(failure_code::kRefused, "refused: the session is ending");
        }
        // Never carried out later: a key that went out seconds after it was asked for is worse than
        // one that failed at once.
        if (opening_) throw Failure(failure_code::kPortNotOpen, "the port is still opening");
        if (!port_.isOpen()) {
            // A port that was absent, or whose device went away, is tried again for the next request.
            wantOpen_ = true;
            onOpenFailed_ = nullptr;
            startOpen();
            throw Failure(failure_code::kPortNotOpen, "the port is not open; it is being opened again");
        }
        if (transmit) {
            key();
        } else {
            unkey(Unkey::Always);
        }
    } catch (...) {
        changed();
        throw;
    }
}

void RadioLine::key() {
    unkey(Unkey::IfTorn);
    write(kPttOn.text());
    // Keyed as asked: no unkey is owed any more.
    owed_ = false;
    changed();
}

// The one way an unkey reaches the radio. A torn block is completed from the PTT-off block, which
// differs from PTT-on only in its fourth byte, and a whole PTT-off block follows, so whatever was
// torn the radio ends unkeyed. Then a whole PTT-off block goes out when one was asked for, or when
// the radio is still keyed and is being let go of.
void RadioLine::unkey(Unkey when) {
    const auto wholeBlock = [&] { return when == Unkey::Always || (when == Unkey::IfKeyed && keyed_); };
    const bool torn = streamTorn();
    if (!torn && !wholeBlock()) return;
    try {
        if (torn) {
            const std::string off = kPttOff.text();
            const std::string rest =
                stream_.partial.empty() ? std::string{} : off.substr(stream_.partial.size());
            write(rest + off);
            stream_.torn = false;
        }
        if (wholeBlock()) write(kPttOff.text());
    } catch (...) {
        // A radio still keyed, as far as anyone can tell, is owed the unkey.
        owed_ = keyed_;
        changed();
        throw;
    }
}

// One write. Bytes the port took stay on the line even when it took fewer than all, so the stream
// records them; a write that comes back short fails.
void RadioLine::write(const std::string& bytes) {
    if (stream_.port != number_) stream_ = Stream{number_, {}, false};  // another port is another line
    const std::size_t taken = std::min(port_.write(bytes), bytes.size());
    written_.append(bytes, 0, taken);
    recordOnLine(std::string_view(bytes).substr(0, taken));
    if (taken < bytes.size()) {
        // A write that took nothing tore no block; a realignment cut short stays owed regardless.
        if (!stream_.partial.empty()) stream_.torn = true;
        throw Failure(failure_code::kWriteTimeout, "the radio did not take the whole block in time");
    }
}

// What the radio was told is the last whole block on the line, never a block only partly sent.
void RadioLine::recordOnLine(std::string_view taken) {
    for (const char byte : taken) {
        stream_.partial += byte;
        if (stream_.partial.size() < kPttOff.bytes.size()) continue;
        if (stream_.partial == kPttOn.text()) {
            keyed_ = true;
        } else if (stream_.partial == kPttOff.text()) {
            keyed_ = false;
            owed_ = false;
        }
        stream_.partial.clear();
    }
    changed();
}

bool RadioLine::streamTorn() const {
    return stream_.torn && stream_.port == number_;
}

bool RadioLine::mayBeKeyed() const {
    return keyed_ || streamTorn();
}

void RadioLine::changed() noexcept {
    const State now = state();
    if (now == reported_) return;
    reported_ = now;
    if (onStateChanged) onStateChanged(now);
}

void RadioLine::holdClosedWhile(const std::function<void()>& show) {
    struct Release {
        bool& held;
        bool before;
        ~Release() { held = before; }
    } release{held_, std::exchange(held_, true)};
    show();
}

// The held request goes out (bytes, then state) once the port is open again, waiting for an open
// under way to end. A port that did not reopen drops it: the host was told it failed, and it must
// not key the radio later.
void RadioLine::carryOutHeldRequest() noexcept {
    constexpr std::string_view kWhat = "request held by the message box";
    if (!heldRequest_) return;
    if (opening_) {
        heldAwaitsOpen_ = true;
        return;
    }
    heldAwaitsOpen_ = false;
    const bool held = *std::exchange(heldRequest_, std::nullopt);
    if (!port_.isOpen()) return;
    try {
        request(held);
        logOutcome(log_, eventText_, kWhat, written_, nullptr);
    } catch (const std::exception& failure) {
        logOutcome(log_, eventText_, kWhat, written_, &failure);
    } catch (...) {
        logOutcome(log_, eventText_, kWhat, written_, &unexpectedFailure());
    }
}

// ---- Letting go of the radio ----

// A closed port is opened for the unkey, which then goes out as the open ends; said once.
bool RadioLine::letGo(std::string_view occasion) noexcept {
    heldRequest_.reset();
    heldAwaitsOpen_ = false;
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
        if (!opening_) {
            wantOpen_ = true;
            onOpenFailed_ = nullptr;
            startOpen();
        }
        if (opening_ && first) logWaiting(occasion);
        changed();
        return !mayBeKeyed();
    }
    try {
        unkey(Unkey::IfKeyed);
        logOutcome(log_, eventText_, occasion, written_, nullptr);
    } catch (const std::exception& failure) {
        logOutcome(log_, eventText_, occasion, written_, &failure);
    } catch (...) {
        logOutcome(log_, eventText_, occasion, written_, &unexpectedFailure());
    }
    changed();
    return !mayBeKeyed();
}

// "unkey at shut-down: waits for COM1 to open".
void RadioLine::logWaiting(std::string_view occasion) noexcept {
    try {
        eventText_.assign(occasion).append(": waits for COM");
        appendNumber(eventText_, number_);
        eventText_ += " to open";
        log_.add(eventText_);
    } catch (...) {
        // Out of memory: the event is lost.
    }
}

void RadioLine::release() noexcept {
    if (released_) return;
    if (owedOccasion_.empty() || !opening_) letGo("unkey at shut-down");
    released_ = true;
    wantOpen_ = false;
    if (!(opening_ && mayBeKeyed())) closeIfOpen();
}

void RadioLine::finishRelease(std::uint32_t milliseconds) noexcept {
    if (opening_ && mayBeKeyed() && !waitedOut_) waitForOpen(milliseconds, "unkey at shut-down");
    closeIfOpen();
}

}  // namespace zelt
