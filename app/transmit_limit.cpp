#include "app/transmit_limit.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>

#include "app/event_text.h"
#include "app/main_form.h"
#include "app/system_menu.h"
#include "settings/keys.h"

namespace zelt {
namespace {

constexpr std::uint32_t kMillisecondsPerSecond = 1000;
// After an unkey at the limit that could not be delivered, how long until the next attempt.
constexpr std::uint32_t kUnkeyRetryMilliseconds = 5000;

}  // namespace

std::uint32_t transmitLimitFromText(std::string_view stored) {
    const auto first = stored.find_first_not_of(' ');
    if (first == std::string_view::npos) return 0;
    stored = stored.substr(first, stored.find_last_not_of(' ') - first + 1);
    std::uint64_t seconds = 0;
    for (const char c : stored) {
        if (c < '0' || c > '9') return 0;
        seconds = std::min<std::uint64_t>(seconds * 10 + static_cast<std::uint64_t>(c - '0'),
                                          kLongestTransmitLimit);
    }
    return static_cast<std::uint32_t>(seconds);
}

std::string transmitLimitText(std::uint32_t seconds) {
    for (const auto& choice : system_menu::kLimitChoices) {
        if (choice.seconds == seconds) return std::string(choice.text);
    }
    std::string text;
    appendNumber(text, seconds);
    return text + (seconds == 1 ? " second" : " seconds");
}

void MainForm::chooseTransmitLimit(std::uint32_t seconds) noexcept {
    transmitLimit_ = std::min(seconds, kLongestTransmitLimit);
    // The choice holds for this run even if the store refuses it; the refusal is in the log.
    try {
        std::string text;
        appendNumber(text, transmitLimit_);
        saveSetting(store_, settings::kTransmitLimit, text);
    } catch (...) {
        // Logged by the store on its way.
    }
    if (!transmitting()) return;
    stopTransmitTimer();
    if (transmitLimit_ > 0) startTransmitTimer(transmitLimit_ * kMillisecondsPerSecond);
}

// The limit counts continuous keying: from the moment the indicator turns red until it turns green.
// A repeated transmit request leaves it red, and so does not start the count again.
void MainForm::transmittingChanged(bool on) noexcept {
    if (!on) {
        stopTransmitTimer();
    } else if (transmitLimit_ > 0) {
        startTransmitTimer(transmitLimit_ * kMillisecondsPerSecond);
    }
}

void MainForm::startTransmitTimer(std::uint32_t milliseconds) noexcept {
    try {
        timer_.start(milliseconds);
        transmitTimerRunning_ = true;
    } catch (const std::exception& failure) {
        std::string text = "transmit time limit cannot be kept: ";
        appendFailure(text, failure);
        log_.add(text);
    } catch (...) {
        log_.add("transmit time limit cannot be kept");
    }
}

void MainForm::stopTransmitTimer() noexcept {
    if (!transmitTimerRunning_) return;
    timer_.stop();
    transmitTimerRunning_ = false;
}

void MainForm::transmitTimerFired() noexcept {
    stopTransmitTimer();
    if (!transmitting() || windowGone_) return;
    std::string what = "transmit time limit (";
    appendNumber(what, transmitLimit_);
    what += " s) reached";
    if (portHeld_) {
        // The message box holds the port; the unkey goes out the moment it lets go, before anything else.
        heldRequest_ = false;
        log_.add(what + ": the port is held by a message box, the unkey follows when it closes");
    } else if (!unkeyUnasked(what)) {
        // Still keyed, as far as anyone can tell: try again soon rather than at the next limit.
        startTransmitTimer(kUnkeyRetryMilliseconds);
    }
    operatorUi_.beep();
}

}  // namespace zelt
