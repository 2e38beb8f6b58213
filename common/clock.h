#pragma once

#include <cstdint>

namespace zelt {

// A moment in the machine's local time, to the millisecond.
struct LocalTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;  // 1 to 12
    std::uint16_t day = 0;    // 1 to 31
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t millisecond = 0;

    bool operator==(const LocalTime&) const = default;
};

// The wall clock as the event log reads it, and a count of milliseconds that only moves forward
// (for waits that the wall clock's changes, such as summer time, must not stretch). Never fails.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime now() noexcept = 0;
    virtual std::uint64_t steadyMilliseconds() noexcept = 0;
};

}  // namespace zelt
