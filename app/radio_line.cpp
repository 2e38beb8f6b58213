#include "app/radio_line.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "app/event_text.h"
#include "common/failure.h"

namespace zelt {

RadioLine::RadioLine(SerialPort& port, EventLog& log) : port_(port), log_(log) {
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

void RadioLine::setPortNumber(std::int16_t number) {
    if (number < 1 || number > kHighestPort) {
        throw Failure(failure_code::kInvalidPropertyValue, "invalid port number " + std::to_string(number));
    }
    target_.number = number;
}

void RadioLine::setLineSettings(const std::string& text) {
    const auto parsed = parseLineSettings(text);
    if (!parsed) throw Failure(failure_code::kInvalidPropertyValue, "invalid line settings \"" + text + "\"");
    target_.text = text;
    target_.settings = *parsed;
}

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
        if (released_) throw Failure(failure_code::kPortNotOpen, "the program is letting go of the radio");
        if (transmit && sessionEnded_) {
            throw Failure(failure_code::kRefused, "refused: the session is ending");
        }
        // Never carried out later: a key that went out seconds after it was asked for is worse than
        // one that failed at once.
        if (opening_) throw Failure(failure_code::kPortNotOpen, "the port is still opening");
        if (!port_.isOpen()) {
            // A port that was absent, or whose device went away, is tried again for the next request.
            open();
            throw Failure(failure_code::kPortNotOpen, "the port is not open; it is being opened again");
        }
        if (transmit) {
            unkey(Unkey::IfTorn);
            write(kPttOn);
            owed_ = false;  // keyed as asked: no unkey is owed any more
            changed();
        } else {
            unkey(Unkey::Always);
        }
    } catch (...) {
        changed();
        throw;
    }
}

// The one way an unkey reaches the radio. A torn block is completed from PTT-off (which differs from
// PTT-on only in its fourth byte) and a whole PTT-off follows, so the radio ends unkeyed whatever was
// torn; then a whole PTT-off goes out when one was asked for, or when a radio still keyed is let go of.
void RadioLine::unkey(Unkey when) {
    const auto wholeBlock = [&] { return when == Unkey::Always || (when == Unkey::IfKeyed && keyed_); };
    // Torn on the line of the port open now, which the next write continues.
    const bool torn = stream_.torn && stream_.port == openOn_;
    if (!torn && !wholeBlock()) return;
    try {
        if (torn) {
            const std::size_t sent = stream_.partial.empty() ? kPttOff.size() : stream_.partial.size();
            write(std::string(kPttOff.substr(sent)).append(kPttOff));
            stream_.torn = false;
        }
        if (wholeBlock()) write(kPttOff);
    } catch (...) {
        // A radio still keyed, as far as anyone can tell, is owed the unkey.
        owed_ = keyed_;
        changed();
        throw;
    }
}

// One write. Bytes the port took stay on the line even when it took fewer than all, so the stream
// records them; a write that comes back short fails. What the radio was told is the last whole
// block on the line, never a block only partly sent.
void RadioLine::write(std::string_view bytes) {
    if (stream_.port != openOn_) stream_ = Stream{openOn_, {}, false};  // another port is another line
    const std::string_view taken = bytes.substr(0, std::min(port_.write(bytes), bytes.size()));
    written_.append(taken);
    for (const char byte : taken) {
        stream_.partial += byte;
        if (stream_.partial.size() < kPttOff.size()) continue;
        if (stream_.partial == kPttOn) {
            keyed_ = true;
        } else if (stream_.partial == kPttOff) {
            keyed_ = false;
            owed_ = false;
        }
        stream_.partial.clear();
    }
    changed();
    if (taken.size() < bytes.size()) {
        // A write that took nothing tore no block; a realignment cut short stays owed regardless.
        if (!stream_.partial.empty()) stream_.torn = true;
        throw Failure(failure_code::kWriteTimeout, "the radio did not take the whole block in time");
    }
}

void RadioLine::changed() noexcept {
    const State now = state();
    if (now == reported_) return;
    const State before = std::exchange(reported_, now);
    if (onStateChanged) onStateChanged(before, now);
}

void RadioLine::holdClosedWhile(const std::function<void()>& show) {
    struct Release {
        bool& held;
        bool before;
        ~Release() { held = before; }
    } release{held_, std::exchange(held_, true)};
    show();
}

// The held request goes out (bytes, then state) once the port is open again, after an open under way
// ends. A port that did not reopen drops it: the host was told it failed, and it must not key later.
void RadioLine::carryOutHeldRequest() noexcept {
    constexpr std::string_view kWhat = "request held by the message box";
    if (!heldRequest_ || opening_) return;  // an open under way carries it out as it ends
    const bool held = *std::exchange(heldRequest_, std::nullopt);
    if (!port_.isOpen()) return;
    try {
        request(held);
        logOutcome(log_, eventText_, kWhat, written_, nullptr);
    } catch (...) {
        logOutcome(log_, eventText_, kWhat, written_, &currentFailure());
    }
}

}  // namespace zelt
