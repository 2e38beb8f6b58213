#pragma once

#include "common/clock.h"

namespace zelt::win32 {

// The local time as Windows keeps it (GetLocalTime); the milliseconds since Windows started
// (GetTickCount64).
class Clock final : public zelt::Clock {
  public:
    LocalTime now() noexcept override;
    std::uint64_t steadyMilliseconds() noexcept override;
};

}  // namespace zelt::win32
