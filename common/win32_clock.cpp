#include "common/win32_clock.h"

#include <windows.h>

namespace zelt::win32 {

LocalTime Clock::now() noexcept {
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return LocalTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                     time.wMinute, time.wSecond, time.wMilliseconds};
}

std::uint64_t Clock::steadyMilliseconds() noexcept {
    return GetTickCount64();
}

}  // namespace zelt::win32
