#pragma once

#include <string_view>

namespace zelt {

// The version the program calls itself by; the executable's version block says the same.
inline constexpr std::string_view kVersion = "3.00";

}  // namespace zelt
