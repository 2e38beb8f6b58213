#include "port/line_settings.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace zelt {
namespace {

// Splits at every comma; a text with other than four fields is refused before any field is read.
std::optional<std::array<std::string_view, 4>> splitFields(std::string_view text) {
    std::array<std::string_view, 4> fields;
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        if (count == fields.size()) return std::nullopt;
        fields[count++] = text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (count != fields.size()) return std::nullopt;
    return fields;
}

// Decimal digits only: no sign, no blanks, and no leading zero, so that each rate has one spelling
// and the text the operator stored is the text the port reports.
std::optional<std::uint32_t> parseBaud(std::string_view field) {
    if (field.empty() || field.size() > 6 || field.front() == '0') return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (std::find(kBaudRates.begin(), kBaudRates.end(), value) == kBaudRates.end()) return std::nullopt;
    return value;
}

std::optional<Parity> parseParity(std::string_view field) {
    if (field.size() != 1) return std::nullopt;
    switch (field.front()) {
        case 'n':
        case 'N':
            return Parity::None;
        case 'e':
        case 'E':
            return Parity::Even;
        case 'o':
        case 'O':
            return Parity::Odd;
        case 'm':
        case 'M':
            return Parity::Mark;
        case 's':
        case 'S':
            return Parity::Space;
        default:
            return std::nullopt;
    }
}

std::optional<std::uint8_t> parseDataBits(std::string_view field) {
    if (field.size() != 1 || field.front() < '4' || field.front() > '8') return std::nullopt;
    return static_cast<std::uint8_t>(field.front() - '0');
}

std::optional<StopBits> parseStopBits(std::string_view field) {
    if (field == "1") return StopBits::One;
    if (field == "1.5") return StopBits::OneAndHalf;
    if (field == "2") return StopBits::Two;
    return std::nullopt;
}

}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text) {
    const auto fields = splitFields(text);
    if (!fields) return std::nullopt;
    const auto baud = parseBaud((*fields)[0]);
    const auto parity = parseParity((*fields)[1]);
    const auto dataBits = parseDataBits((*fields)[2]);
    const auto stopBits = parseStopBits((*fields)[3]);
    if (!baud || !parity || !dataBits || !stopBits) return std::nullopt;
    return LineSettings{*baud, *parity, *dataBits, *stopBits};
}

}  // namespace zelt
