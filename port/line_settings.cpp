#include "port/serial_port.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>

namespace zelt {
namespace {

// A text with other than four fields is refused before any field is read.
std::optional<std::array<std::string_view, 4>> splitFields(std::string_view text) {
    if (std::count(text.begin(), text.end(), ',') != 3) return std::nullopt;
    std::array<std::string_view, 4> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t comma = text.find(',');
        fields[i] = text.substr(0, comma);
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    }
    return fields;
}

// Decimal digits only: no sign, no blanks, and no leading zero, so that each rate has one spelling
// and the text the operator stored is the text the port reports.
std::optional<std::uint32_t> parseBaud(std::string_view field) {
    std::uint32_t value = 0;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    if (field.empty() || field.front() == '0' || error != std::errc{} || stop != end) return std::nullopt;
    if (std::find(kBaudRates.begin(), kBaudRates.end(), value) == kBaudRates.end()) return std::nullopt;
    return value;
}

// The letters in the order of Parity's values; setting bit 5 lowers exactly the upper-case letters.
std::optional<Parity> parseParity(std::string_view field) {
    constexpr std::string_view kLetters = "neoms";
    if (field.size() != 1) return std::nullopt;
    const std::size_t at = kLetters.find(static_cast<char>(field.front() | 0x20));
    if (at == std::string_view::npos) return std::nullopt;
    return static_cast<Parity>(at);
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
