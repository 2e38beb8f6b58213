#pragma once

#include <windows.h>

#include <cstdint>

namespace zelt::win32 {

// Opens the device of COMn for exclusive reading and writing, as CreateFileW does: INVALID_HANDLE_VALUE
// with the error in GetLastError when it cannot. Called on the port's own thread only. zelt.exe's is
// CreateFileW itself; a test build of zelt links one whose opens take as long as a test says.
HANDLE openDevice(std::int16_t number);

}  // namespace zelt::win32
