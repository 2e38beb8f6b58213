#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelt {

// The baud rates a classic serial control offers; nothing else is accepted.
inline constexpr std::array<std::uint32_t, 16> kBaudRates = {
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 28800, 38400, 56000, 57600, 115200, 128000, 256000};

enum class Parity : std::uint8_t { None, Even, Odd, Mark, Space };
enum class StopBits : std::uint8_t { One, OneAndHalf, Two };

struct LineSettings {
    std::uint32_t baud = 4800;
    Parity parity = Parity::None;
    std::uint8_t dataBits = 8;
    StopBits stopBits = StopBits::Two;

    bool operator==(const LineSettings&) const = default;
};

// Parses "baud,parity,data bits,stop bits" (for example "9600,n,8,1"): a listed baud rate, parity
// n, e, o, m or s in either case, 4 to 8 data bits, 1, 1.5 or 2 stop bits, no blanks. Anything else
// gives nothing.
std::optional<LineSettings> parseLineSettings(std::string_view text);

}  // namespace zelt
