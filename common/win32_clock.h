#pragma once

#include "common/clock.h"

namespace zelt::win32 {

// The local time as Windows keeps it (GetLocalTime).
class Win32Clock final : public Clock {
  public:
    LocalTime now() noexcept override;
};

}  // namespace zelt::win32
