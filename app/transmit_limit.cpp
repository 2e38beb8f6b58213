#include "app/transmit_limit.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "app/event_text.h"
#include "settings/settings_store.h"

namespace zelt {

constexpr std::uint32_t kMillisecondsPerSecond = 1000;
// After an unkey at the limit that could not be delivered, how long until the next attempt.
constexpr std::uint32_t kUnkeyRetryMilliseconds = 5000;

std::optional<std::uint32_t> transmitLimitFromText(std::string_view stored) {
    const std::optional<std::uint64_t> seconds = wholeNumberFromText(stored, kLongestTransmitLimit);
    if (!seconds) return std::nullopt;
    return static_cast<std::uint32_t>(*seconds);
}

std::string transmitLimitText(std::uint32_t seconds) {
    for (const auto& choice : system_menu::kLimitChoices) {
        if (choice.seconds == seconds) return std::string(choice.text);
    }
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

void TransmitLimit::set(std::uint32_t seconds) noexcept {
    seconds_ = std::min(seconds, kLongestTransmitLimit);
    if (seconds_ == 0 && cause_ == &kLimitHold) holding_ = false;
    if (!keyed()) return;
    stop();
    if (seconds_ > 0) start(seconds_ * kMillisecondsPerSecond);
}

void TransmitLimit::follow(bool keyed) noexcept {
    if (!keyed) {
        stop();
    } else if (seconds_ > 0) {
        start(seconds_ * kMillisecondsPerSecond);
    }
}

void TransmitLimit::expired() noexcept {
    stop();
    if (!keyed()) return;  // a tick already on its way when the radio was unkeyed
    if (!holding_) hold(kLimitHold);
    const std::string what = "transmit time limit (" + std::to_string(seconds_) + " s) reached";
    // Still keyed, as far as anyone can tell: try again soon rather than at the next limit.
    if (!line_.letGo(what)) start(kUnkeyRetryMilliseconds);
    window_.beep();
}

void TransmitLimit::hold(const HoldCause& cause) noexcept {
    holding_ = true;
    refusalLogged_ = false;
    cause_ = &cause;
}

bool TransmitLimit::refusesHostKey() noexcept {
    if (!holding_) return false;
    if (!std::exchange(refusalLogged_, true)) {
        logMade(log_, eventText_, [&] {
            eventText_.assign(cause_->name);
            eventText_ +=
                ": the host's key requests are refused until it unkeys, or the operator keys by hand";
        });
    }
    return true;
}

void TransmitLimit::start(std::uint32_t milliseconds) noexcept {
    try {
        window_.startTimer(milliseconds);
        running_ = true;
    } catch (const std::exception& failure) {
        std::string text = "transmit time limit cannot be kept: ";
        appendFailure(text, failure);
        log_.add(text);
    } catch (...) {
        log_.add("transmit time limit cannot be kept");
    }
}

void TransmitLimit::stop() noexcept {
    if (!running_) return;
    window_.stopTimer();
    running_ = false;
}

}  // namespace zelt
