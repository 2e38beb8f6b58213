// Feeds arbitrary texts to the stored-text conversions. They must either give a value or fail with
// a nonzero code, never anything else; for short texts the value is checked against long double
// arithmetic with half-to-even rounding, and the two conversions must agree with each other.
#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "common/failure.h"
#include "settings/settings_store.h"

namespace {

template <typename Convert>
std::optional<int> attempt(Convert convert, const std::string& text) {
    try {
        return convert(text);
    } catch (const zelt::Failure& failure) {
        if (failure.code() == 0) std::abort();
        return std::nullopt;
    }
}

// The texts the conversions accept are a subset of what strtold reads; for those, compare.
std::optional<long double> reference(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const char* start = text.c_str() + first;
    char* end = nullptr;
    errno = 0;
    const long double value = std::strtold(start, &end);
    if (end == start || errno != 0) return std::nullopt;
    return value;
}

long double roundHalfEven(long double value) {
    std::fesetround(FE_TONEAREST);
    return std::nearbyintl(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto integer = attempt(zelt::textToInt16, text);

    if (integer && (*integer < INT16_MIN || *integer > INT16_MAX)) std::abort();

    // Short texts: the value agrees with long double arithmetic (exact for up to 18 digits).
    if (size <= 18 && integer) {
        const auto value = reference(text);
        if (!value) std::abort();
        if (integer && roundHalfEven(*value) != *integer) std::abort();
    }
    return 0;
}
