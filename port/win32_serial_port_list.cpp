#include "port/win32_serial_port.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "common/win32_optional_functions.h"
#include "common/win32_scoped.h"
#include "common/win32_text.h"

// Which serial ports the machine has, for the port list, and which port a device's name stands for.
namespace zelt::win32 {
namespace {

void sortUnique(std::vector<std::int16_t>& numbers) {
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
}

// The serial device map's data, cut at its first NUL like any text the system reads.
std::wstring deviceName(const std::vector<wchar_t>& data, DWORD bytes) {
    const std::wstring_view stored(data.data(), std::min<std::size_t>(bytes / sizeof(wchar_t), data.size()));
    return std::wstring(stored.substr(0, stored.find(L'\0')));
}

}  // namespace

std::vector<std::int16_t> SerialPort::presentPorts() const {
    if (auto ports = portsFromCommPortsApi()) return *ports;
    return portsFromDeviceMap();
}

std::optional<std::vector<std::int16_t>> SerialPort::portsFromCommPortsApi() {
    const auto function = win32::optionalFunctions().getCommPorts;
    if (function == nullptr) return std::nullopt;
    std::vector<ULONG> found(32);
    for (int attempt = 0; attempt < 4; ++attempt) {
        ULONG count = 0;
        const ULONG status = function(found.data(), static_cast<ULONG>(found.size()), &count);
        if (status == ERROR_FILE_NOT_FOUND) return std::vector<std::int16_t>{};
        if (status == ERROR_MORE_DATA) {
            // Ports may come between the two calls: ask again with the size it gave.
            found.resize(std::max<std::size_t>(count, found.size() * 2));
            continue;
        }
        if (status != ERROR_SUCCESS) return std::nullopt;
        std::vector<std::int16_t> ports;
        for (ULONG i = 0; i < count && i < found.size(); ++i) {
            if (found[i] >= 1 && found[i] <= static_cast<ULONG>(kHighestPort)) {
                ports.push_back(static_cast<std::int16_t>(found[i]));
            }
        }
        sortUnique(ports);
        return ports;
    }
    return std::nullopt;
}

std::vector<std::int16_t> SerialPort::portsFromDeviceMap() {
    HKEY opening = nullptr;
    const LSTATUS opened =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &opening);
    const win32::ScopedHKEY key(opening);
    // A machine that never had a serial port may have no map at all.
    if (opened == ERROR_FILE_NOT_FOUND) return {};
    if (opened != ERROR_SUCCESS) throwError(static_cast<DWORD>(opened), "cannot read the serial device map");

    std::vector<std::int16_t> ports;
    std::vector<wchar_t> name(16384);  // the longest value name the registry allows, and its NUL
    std::vector<wchar_t> data(64);
    int growths = 0;
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = REG_NONE;
        DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        const LSTATUS status = RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (status == ERROR_MORE_DATA && ++growths < 8) {
            data.resize(bytes / sizeof(wchar_t) + 1);
            continue;
        }
        if (status != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS, or the map changed meanwhile
        if (type == REG_SZ) {
            if (auto number = portNumberOfName(deviceName(data, bytes))) ports.push_back(*number);
        }
        ++index;
    }
    sortUnique(ports);
    return ports;
}

std::optional<std::int16_t> SerialPort::portNumberOfName(std::wstring_view name) {
    constexpr std::wstring_view prefix = L"COM";
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 3 || !name.starts_with(prefix) ||
        name[prefix.size()] == L'0') {
        return std::nullopt;
    }
    int number = 0;
    for (const wchar_t digit : name.substr(prefix.size())) {
        if (digit < L'0' || digit > L'9') return std::nullopt;
        number = number * 10 + (digit - L'0');
    }
    if (number > kHighestPort) return std::nullopt;
    return static_cast<std::int16_t>(number);
}

}  // namespace zelt::win32
