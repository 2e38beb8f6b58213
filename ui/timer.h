#pragma once

#include <cstdint>

namespace zelt {

// A timer on MainForm's window. Once started it fires every period, on the window's thread, until
// it is stopped; starting it again begins a new period. Nothing runs while it is stopped.
class Timer {
  public:
    virtual ~Timer() = default;
    // Throws Failure when the system has no timer to give.
    virtual void start(std::uint32_t milliseconds) = 0;
    virtual void stop() noexcept = 0;
};

}  // namespace zelt
