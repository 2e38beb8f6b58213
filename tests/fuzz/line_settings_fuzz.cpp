// Feeds arbitrary texts to the line-settings parser. Whatever it accepts must be a text the parser
// would produce itself from the fields it found, so no junk can slip through as valid settings.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "port/serial_port.h"

namespace {

std::string stopBitsText(zelt::StopBits bits) {
    switch (bits) {
        case zelt::StopBits::One:
            return "1";
        case zelt::StopBits::OneAndHalf:
            return "1.5";
        case zelt::StopBits::Two:
            return "2";
    }
    std::abort();
}

char parityLetter(zelt::Parity parity) {
    switch (parity) {
        case zelt::Parity::None:
            return 'n';
        case zelt::Parity::Even:
            return 'e';
        case zelt::Parity::Odd:
            return 'o';
        case zelt::Parity::Mark:
            return 'm';
        case zelt::Parity::Space:
            return 's';
    }
    std::abort();
}

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = zelt::parseLineSettings(text);
    if (!parsed) return 0;

    if (std::find(zelt::kBaudRates.begin(), zelt::kBaudRates.end(), parsed->baud) == zelt::kBaudRates.end()) {
        std::abort();
    }
    if (parsed->dataBits < 4 || parsed->dataBits > 8) std::abort();

    const std::string canonical = std::to_string(parsed->baud) + "," + parityLetter(parsed->parity) + "," +
                                  std::to_string(parsed->dataBits) + "," + stopBitsText(parsed->stopBits);
    if (lower(text) != canonical) std::abort();
    if (zelt::parseLineSettings(canonical) != parsed) std::abort();
    return 0;
}
