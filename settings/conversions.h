#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelt {

// Stored text to a 16-bit integer (port number, check values). Throws Failure for text that is not
// a number or lies outside -32768 to 32767. The exact rules are documented in conversions.cpp.
std::int16_t textToInt16(std::string_view text);

// An optional stored whole number, as the extras store them: decimal digits, blanks around them
// allowed, a value above `cap` read as `cap`; nothing (or only blanks) is 0. Anything else ("abc",
// "-5", "60.5", "+60", a tab) is not understood: nullopt.
std::optional<std::uint64_t> wholeNumberFromText(std::string_view stored, std::uint64_t cap);

// Decimal text of a 16-bit value, no leading zeros or blanks: "3", "-1".
std::string int16ToText(std::int16_t value);

}  // namespace zelt
