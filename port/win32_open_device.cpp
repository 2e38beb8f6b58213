#include "port/win32_open_device.h"

#include <string>

namespace zelt::win32 {

// Prefixed with \\.\ so that ports above COM9 open too.
HANDLE openDevice(std::int16_t number) {
    const std::wstring name = L"\\\\.\\COM" + std::to_wstring(number);
    return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

}  // namespace zelt::win32
