// Conversions of stored texts to 16-bit integers.
//
// The program itself only ever stores plain decimal integers, but the store belongs to the user, who
// may have edited it. A stored text is accepted when it has this form, and nothing else:
//
//   - any number of leading and trailing blanks (spaces and tabs only; no other white space);
//   - an optional sign, "+" or "-", directly followed by the number;
//   - decimal digits with an optional fraction: "2", "2.5", ".5" and "3." are numbers, "." is not;
//     at least one digit in all;
//   - no exponent, no hexadecimal, no thousands separators, no other characters.
//
// An empty or blank-only text, or any other form, fails with kTypeMismatch.
//
// textToInt16 rounds the number half to even, as classic BASIC integer conversion does (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2), and fails with kOverflow when the result lies outside -32768..32767.
//
// The arithmetic is exact decimal, never binary floating point, so a text is never misrounded.
// Leading zeros and fraction digits may be as many as the text holds ("0007", "2.50000"); a number
// with more than six significant integer digits cannot land in range and fails with kOverflow without
// being evaluated, so a text of any length is handled in one linear pass.

#include "settings/conversions.h"

#include <algorithm>

#include <cstdint>
#include <string>
#include <string_view>

#include "common/failure.h"

namespace zelt {
namespace {

// How the part of a number beyond its floor compares with one half.
enum class Remainder { kZero, kBelowHalf, kHalf, kAboveHalf };

// A number as floor + remainder, so that rounding needs only the floor's parity and the remainder.
struct Number {
    std::int64_t floor = 0;
    Remainder remainder = Remainder::kZero;
};

// Integer digits beyond this many (after leading zeros) put any result outside 16 bits.
constexpr std::size_t kMaxSignificantDigits = 6;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void typeMismatch() {
    throw Failure(failure_code::kTypeMismatch, "Type mismatch");
}
[[noreturn]] void overflow() {
    throw Failure(failure_code::kOverflow, "Overflow");
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The fraction's digits compared with one half: only the first digit and whether any later digit is
// nonzero matter.
Remainder classifyFraction(std::string_view fraction) {
    std::size_t first = 0;
    while (first < fraction.size() && fraction[first] == '0') ++first;
    if (first == fraction.size()) return Remainder::kZero;
    if (first > 0 || fraction[0] < '5') return Remainder::kBelowHalf;
    if (fraction[0] > '5') return Remainder::kAboveHalf;
    for (std::size_t i = 1; i < fraction.size(); ++i) {
        if (fraction[i] != '0') return Remainder::kAboveHalf;
    }
    return Remainder::kHalf;
}

Number parse(std::string_view text) {
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }

    std::size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) typeMismatch();
    for (char c : whole) {
        if (!isDigit(c)) typeMismatch();
    }
    for (char c : fraction) {
        if (!isDigit(c)) typeMismatch();
    }

    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
    if (whole.size() > kMaxSignificantDigits) overflow();
    std::int64_t magnitude = 0;
    for (char c : whole) magnitude = magnitude * 10 + (c - '0');

    Number number{magnitude, classifyFraction(fraction)};
    if (negative) {
        // -(m + f) = (-m - 1) + (1 - f) when f > 0; 1 - f mirrors f around one half.
        number.floor = -magnitude;
        if (number.remainder != Remainder::kZero) {
            number.floor -= 1;
            if (number.remainder == Remainder::kBelowHalf) {
                number.remainder = Remainder::kAboveHalf;
            } else if (number.remainder == Remainder::kAboveHalf) {
                number.remainder = Remainder::kBelowHalf;
            }
        }
    }
    return number;
}

std::int16_t roundHalfToEven(const Number& number) {
    std::int64_t rounded = number.floor;
    switch (number.remainder) {
        case Remainder::kZero:
        case Remainder::kBelowHalf:
            break;
        case Remainder::kAboveHalf:
            rounded += 1;
            break;
        case Remainder::kHalf:
            if (rounded % 2 != 0) rounded += 1;
            break;
    }
    if (rounded < INT16_MIN || rounded > INT16_MAX) overflow();
    return static_cast<std::int16_t>(rounded);
}

}  // namespace

std::int16_t textToInt16(std::string_view text) {
    return roundHalfToEven(parse(text));
}

std::string int16ToText(std::int16_t value) {
    return std::to_string(value);
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
