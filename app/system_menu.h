#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zelt {

// What MainForm adds to its window's system menu, below the system's own items.
namespace system_menu {
inline constexpr std::string_view kTransmit = "Transmit";                  // checked while transmitting
inline constexpr std::string_view kSound = "Sound on transmit change";     // checked while on
inline constexpr std::string_view kUnkeyHotkey = "Unkey hotkey...";        // opens its dialog
inline constexpr std::string_view kTransmitLimit = "Transmit time limit";  // a submenu of the choices
inline constexpr std::string_view kEventLog = "Event log...";
inline constexpr std::string_view kAbout = "About zelt...";

struct LimitChoice {
    std::uint32_t seconds;  // 0 is off
    std::string_view text;
};
inline constexpr std::array<LimitChoice, 5> kLimitChoices{{
    {0, "Off"},
    {60, "1 minute"},
    {180, "3 minutes"},
    {300, "5 minutes"},
    {600, "10 minutes"},
}};
}  // namespace system_menu

}  // namespace zelt
