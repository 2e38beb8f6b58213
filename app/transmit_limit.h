#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelt {

// The longest limit the window's timer can count, in seconds (2^31 - 1 milliseconds, 24 days); a
// longer stored limit counts this long.
inline constexpr std::uint32_t kLongestTransmitLimit = 2'147'483;

// How long a transmission may last, from the stored text: a whole number of seconds, blanks
// around it allowed. Anything else ("", "abc", "-5", "2.5") is 0, which is off.
std::uint32_t transmitLimitFromText(std::string_view stored);

// The limit as the system menu names it: its choice's text ("Off", "3 minutes"), or for a stored
// limit that is none of them, "2 seconds".
std::string transmitLimitText(std::uint32_t seconds);

}  // namespace zelt
