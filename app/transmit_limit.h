#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/radio_line.h"
#include "app/window.h"
#include "common/event_log.h"

namespace zelt {

// The longest limit the window's timer can count, in seconds (2^31 - 1 milliseconds, 24 days); a
// longer stored limit counts this long.
inline constexpr std::uint32_t kLongestTransmitLimit = 2'147'483;

// How long a transmission may last, in seconds, from the stored text as wholeNumberFromText reads
// it; 0 is off.
std::optional<std::uint32_t> transmitLimitFromText(std::string_view stored);

// The limit as the system menu names it: its choice's text ("Off", "3 minutes"), or for a stored
// limit that is none of them, "2 seconds".
std::string transmitLimitText(std::uint32_t seconds);

// What holds the host's key requests off: its name in the log, and the refusal's text.
struct HoldCause {
    std::string_view name;
    std::string_view refusal;
};
inline constexpr HoldCause kLimitHold{"transmit time limit", "refused while the transmit time limit holds"};
inline constexpr HoldCause kHotkeyHold{"hotkey", "refused while the hotkey's unkey holds"};

// The transmit time limit: a radio keyed continuously for the limit is unkeyed, the operator hears
// and can read of it, and the host's key requests are refused until the host unkeys or the operator
// keys by hand, as a transceiver's own time-out timer holds until the microphone's PTT is let go: a
// host that keeps asking cannot keep the radio on the air.
class TransmitLimit {
  public:
    // The window counts the limit on its timer and beeps when it is reached.
    TransmitLimit(RadioLine& line, Window& window, EventLog& log) : line_(line), window_(window), log_(log) {}
    TransmitLimit(const TransmitLimit&) = delete;
    TransmitLimit& operator=(const TransmitLimit&) = delete;

    // In seconds; 0 is off.
    std::uint32_t seconds() const { return seconds_; }
    // In force from now: a transmission under way counts it from now. Off ends a hold of the limit
    // too, but not one the operator started.
    void set(std::uint32_t seconds) noexcept;

    // The indicator turned red (keyed) or green: the count runs from the key until the unkey.
    void follow(bool keyed) noexcept;
    void expired() noexcept;
    void stop() noexcept;

    // Whether the host's key request is refused now; the first refusal of each hold is logged with why.
    bool refusesHostKey() noexcept;
    // The host unkeyed, or the operator keyed or unkeyed by hand: the hold ends.
    void release() noexcept { holding_ = false; }
    // Holds the host off from now as the limit does, for another cause (the operator's hotkey).
    void hold(const HoldCause& cause) noexcept;
    // Why the host is held off, while it is.
    const HoldCause& holdCause() const { return *cause_; }

  private:
    void start(std::uint32_t milliseconds) noexcept;

    bool keyed() const { return line_.state() != RadioLine::State::Receiving; }

    RadioLine& line_;
    Window& window_;
    EventLog& log_;
    std::uint32_t seconds_ = 0;
    bool running_ = false;
    bool holding_ = false;
    bool refusalLogged_ = false;
    const HoldCause* cause_ = &kLimitHold;
    std::string eventText_;
};

}  // namespace zelt
