// The device open of zelt-slow-open.exe, the test build of zelt whose opens of a COM port take as
// long as the end-to-end bench says: the file named by ZELT_OPEN_DELAY_FILE holds the milliseconds
// each open waits before it goes to the device, read at every open ("0", an empty file or none: no
// wait), and "fail" after them makes the open fail then, as a Bluetooth port out of range does.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "port/win32_serial_port.h"

namespace zelt::win32 {
namespace {

std::string delayText() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ZELT_OPEN_DELAY_FILE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char text[64] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return std::string(text, read);
}

}  // namespace

HANDLE openDevice(std::int16_t number) {
    const std::string text = delayText();
    const unsigned long milliseconds = std::strtoul(text.c_str(), nullptr, 10);
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
    if (text.find("fail") != std::string::npos) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return INVALID_HANDLE_VALUE;
    }
    const std::wstring name = L"\\\\.\\COM" + std::to_wstring(number);
    return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

}  // namespace zelt::win32
