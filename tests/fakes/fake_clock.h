#pragma once

#include "common/event_log.h"

namespace zelt::testing {

// A clock that says what the test sets, and moves on by a millisecond each time it is read, so
// that every event has a time of its own. Its steady count moves only when the test moves it.
class FakeClock : public Clock {
  public:
    LocalTime time{2026, 5, 1, 14, 3, 7, 250};
    bool ticks = true;
    std::uint64_t steady = 0;

    std::uint64_t steadyMilliseconds() noexcept override { return steady; }

    LocalTime now() noexcept override {
        const LocalTime read = time;
        if (ticks && ++time.millisecond == 1000) {
            time.millisecond = 0;
            ++time.second;
        }
        return read;
    }
};

}  // namespace zelt::testing
