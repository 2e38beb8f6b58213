// Conversions of stored texts to numbers. The program stores plain decimal integers only, but the
// store is the user's, who may have edited it. textToInt16 accepts exactly: blanks (spaces and tabs,
// no other white space) around the number; an optional "+" or "-" directly before it; decimal digits
// with an optional fraction ("2", "2.5", ".5" and "3." are numbers, "." is not), at least one digit in
// all; no exponent, hexadecimal, thousands separators or other characters. Anything else, an empty or
// blank text included, fails with kTypeMismatch. The number is rounded half to even, as classic BASIC
// integer conversion does (2.5 -> 2, 3.5 -> 4, -2.5 -> -2), and fails with kOverflow when the result
// lies outside -32768..32767. The arithmetic is exact decimal, never binary floating point, so a text
// is never misrounded. Leading zeros and fraction digits may be as many as the text holds ("0007",
// "2.50000"); more than six significant integer digits cannot land in range and fail with kOverflow
// unevaluated, so a text of any length is handled in one linear pass.

#include "settings/settings_store.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/failure.h"

namespace zelt {
namespace {

// Integer digits beyond this many (after leading zeros) put any result outside 16 bits.
constexpr std::size_t kMaxSignificantDigits = 6;
constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kBlanks = " \t";

[[noreturn]] void overflow() {
    throw Failure(failure_code::kOverflow, "Overflow");
}

// Whether a magnitude rounds up, half to even, by its fraction's digits: only the first digit and
// whether any later digit is nonzero matter.
bool roundsUp(std::int64_t whole, std::string_view fraction) {
    if (fraction.empty() || fraction.front() < '5') return false;
    if (fraction.front() > '5' || fraction.find_first_not_of('0', 1) != std::string_view::npos) return true;
    return whole % 2 != 0;
}

}  // namespace

std::int16_t textToInt16(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    text = first == std::string_view::npos ? std::string_view{}
                                           : text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (negative || text.front() == '+')) text.remove_prefix(1);

    const std::size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || whole.find_first_not_of(kDigits) != std::string_view::npos ||
        fraction.find_first_not_of(kDigits) != std::string_view::npos) {
        throw Failure(failure_code::kTypeMismatch, "Type mismatch");
    }

    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
    if (whole.size() > kMaxSignificantDigits) overflow();
    std::int64_t rounded = 0;
    for (const char c : whole) rounded = rounded * 10 + (c - '0');
    // Half to even is symmetric about zero: the magnitude is rounded, then given its sign.
    if (roundsUp(rounded, fraction)) ++rounded;
    if (negative) rounded = -rounded;
    if (rounded < INT16_MIN || rounded > INT16_MAX) overflow();
    return static_cast<std::int16_t>(rounded);
}

std::optional<std::uint64_t> wholeNumberFromText(std::string_view stored, std::uint64_t cap) {
    const auto first = stored.find_first_not_of(' ');
    if (first == std::string_view::npos) return 0;
    stored = stored.substr(first, stored.find_last_not_of(' ') - first + 1);
    std::uint64_t number = 0;
    for (const char c : stored) {
        if (c < '0' || c > '9') return std::nullopt;
        number = std::min<std::uint64_t>(number * 10 + static_cast<std::uint64_t>(c - '0'), cap);
    }
    return number;
}

}  // namespace zelt
