#include "ui/win32_timer.h"

#include "common/win32_failure.h"

namespace zelt::win32 {

void Timer::start(std::uint32_t milliseconds) {
    // The same id replaces a timer already running, so there is only ever one.
    if (SetTimer(window_, kId, milliseconds, nullptr) == 0) throwLastError("SetTimer");
}

void Timer::stop() noexcept {
    KillTimer(window_, kId);
}

}  // namespace zelt::win32
