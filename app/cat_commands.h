#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zelt {

// A Yaesu CAT command block: four parameter bytes, then the instruction byte, sent as one write.
struct CatCommand {
    std::array<std::uint8_t, 5> bytes;

    std::string text() const { return {bytes.begin(), bytes.end()}; }
};

inline constexpr std::uint8_t kPttInstruction = 0x0F;

inline constexpr CatCommand kPttOff{{0x00, 0x00, 0x00, 0x00, kPttInstruction}};
inline constexpr CatCommand kPttOn{{0x00, 0x00, 0x00, 0x01, kPttInstruction}};

}  // namespace zelt
