#pragma once

#include <windows.h>

#include "common/clock.h"

namespace zelt::win32 {

// The local time as Windows keeps it; the milliseconds since Windows started.
class Clock final : public zelt::Clock {
  public:
    LocalTime now() noexcept override {
        SYSTEMTIME time{};
        GetLocalTime(&time);
        return LocalTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                         time.wMinute, time.wSecond, time.wMilliseconds};
    }
    std::uint64_t steadyMilliseconds() noexcept override { return GetTickCount64(); }
};

}  // namespace zelt::win32
