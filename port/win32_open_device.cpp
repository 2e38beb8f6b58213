#include "port/win32_serial_port.h"

namespace zelt::win32 {

// Prefixed with \\.\ so that ports above COM9 open too.
HANDLE openDevice(std::int16_t number) {
    wchar_t name[16] = L"\\\\.\\COM";
    wchar_t* end = name + 7;
    for (int divisor = number >= 100 ? 100 : number >= 10 ? 10 : 1; divisor > 0; divisor /= 10) {
        *end++ = static_cast<wchar_t>(L'0' + number / divisor % 10);
    }
    *end = L'\0';
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

}  // namespace zelt::win32
