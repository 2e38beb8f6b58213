#include "port/win32_serial_port.h"

#include <windows.h>

#include <limits>
#include <string>

#include "common/failure.h"

namespace zelt {
namespace {

[[noreturn]] void throwLastError(const std::string& what) {
    const DWORD error = GetLastError();
    // A failing call that left no error code still has to fail with a nonzero one.
    throw Failure(error != 0 ? static_cast<std::int32_t>(error) : failure_code::kUnexpected,
                  what + " (Windows error " + std::to_string(error) + ")");
}

BYTE parityCode(Parity parity) {
    switch (parity) {
        case Parity::None:
            return NOPARITY;
        case Parity::Even:
            return EVENPARITY;
        case Parity::Odd:
            return ODDPARITY;
        case Parity::Mark:
            return MARKPARITY;
        case Parity::Space:
            return SPACEPARITY;
    }
    return NOPARITY;
}

BYTE stopBitsCode(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::One:
            return ONESTOPBIT;
        case StopBits::OneAndHalf:
            return ONE5STOPBITS;
        case StopBits::Two:
            return TWOSTOPBITS;
    }
    return ONESTOPBIT;
}

// Changes only the framing and turns flow control off; the modem lines stay as the driver has
// them, because the program never sets them.
void applyLineSettings(DCB& dcb, const LineSettings& settings) {
    dcb.BaudRate = settings.baud;
    dcb.Parity = parityCode(settings.parity);
    dcb.ByteSize = settings.dataBits;
    dcb.StopBits = stopBitsCode(settings.stopBits);
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != Parity::None;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
}

DCB currentState(HANDLE handle) {
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(handle, &dcb)) throwLastError("cannot read the port's line settings");
    return dcb;
}

}  // namespace

void Win32SerialPort::HandleCloser::operator()(void* handle) const noexcept {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

Win32SerialPort::Win32SerialPort() : settings_(*parseLineSettings(settingsText_)) {}

Win32SerialPort::~Win32SerialPort() = default;

void Win32SerialPort::setCommPort(std::int16_t number) {
    if (number < 1 || number > kHighestPort) {
        throw Failure(failure_code::kInvalidPropertyValue, "invalid port number " + std::to_string(number));
    }
    if (portOpen()) throw Failure(failure_code::kPortAlreadyOpen, "the port is open");
    number_ = number;
}

void Win32SerialPort::setSettings(const std::string& settings) {
    const auto parsed = parseLineSettings(settings);
    if (!parsed) {
        throw Failure(failure_code::kInvalidPropertyValue, "invalid line settings \"" + settings + "\"");
    }
    if (portOpen()) {
        HANDLE handle = handle_.get();
        const DCB previous = currentState(handle);
        DCB next = previous;
        applyLineSettings(next, *parsed);
        if (!SetCommState(handle, &next)) {
            // Some drivers apply part of a refused state; put the one in force back.
            const DWORD error = GetLastError();
            DCB restore = previous;
            SetCommState(handle, &restore);
            SetLastError(error);
            throwLastError("the port refuses line settings \"" + settings + "\"");
        }
    }
    settingsText_ = settings;
    settings_ = *parsed;
}

void Win32SerialPort::setPortOpen(bool open) {
    if (open) {
        if (!portOpen()) this->open();
    } else {
        handle_.reset();
    }
}

void Win32SerialPort::open() {
    // Prefix the device name so that ports above COM9 open too.
    const std::wstring name = L"\\\\.\\COM" + std::to_wstring(number_);
    HANDLE raw =
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (raw == INVALID_HANDLE_VALUE) throwLastError("cannot open COM" + std::to_string(number_));
    // Owned from here on, so that a port that cannot be configured is closed again.
    Handle handle(raw);

    DCB dcb = currentState(raw);
    applyLineSettings(dcb, settings_);
    if (!SetCommState(raw, &dcb)) throwLastError("the port refuses line settings \"" + settingsText_ + "\"");

    // Nothing is ever read; a write that the driver cannot finish gives up after the constant.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (!SetCommTimeouts(raw, &timeouts)) throwLastError("cannot set the port's timeouts");

    handle_ = std::move(handle);
}

void Win32SerialPort::output(const std::string& bytes) {
    if (!portOpen()) throw Failure(failure_code::kPortNotOpen, "the port is not open");
    if (bytes.empty()) return;
    if (bytes.size() > std::numeric_limits<DWORD>::max()) {
        throw Failure(failure_code::kInvalidPropertyValue, "too many bytes for one write");
    }
    HANDLE handle = handle_.get();
    const DWORD length = static_cast<DWORD>(bytes.size());

    // A plain write, bounded by the driver's write timeout set at open: an overlapped write with
    // its own wait costs a third more per request under Wine, and every serial driver honours the
    // timeout. A write that runs out of time comes back short.
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), length, &written, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT || error == ERROR_COUNTER_TIMEOUT) {
            // Bytes still queued would key or unkey the radio long after the request failed.
            PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
            throw Failure(failure_code::kWriteTimeout, "the port did not take the bytes in time");
        }
        throwLastError("cannot write to the port");
    }
    if (written != length) {
        PurgeComm(handle, PURGE_TXABORT | PURGE_TXCLEAR);
        throw Failure(failure_code::kWriteTimeout, "the port took " + std::to_string(written) + " of " +
                                                       std::to_string(length) + " bytes in time");
    }
}

}  // namespace zelt
