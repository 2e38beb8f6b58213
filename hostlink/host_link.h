#pragma once

namespace zelt {

// The name under which the host and zelt register their window message: the same name gives the
// same identifier in both programs.
inline constexpr const char* kPttMessageName = "REDUDORORU";

}  // namespace zelt
