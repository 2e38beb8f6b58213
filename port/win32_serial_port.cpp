#include "port/win32_serial_port.h"

#include <windows.h>

#include <limits>
#include <string>

#include "common/failure.h"
#include "common/win32_failure.h"

namespace zelt::win32 {
namespace {

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

// Every field is set here, because a Windows driver keeps whatever the last program left: an
// abort-on-error, null stripping or DSR sensitivity left on would make writes fail or data vanish.
// No flow control of any kind; DTR and RTS are plain outputs held as chosen.
DCB fullState(const LineSettings& settings, ControlLines lines) {
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    dcb.BaudRate = settings.baud;
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != Parity::None;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = lines.dtrHigh ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = lines.rtsHigh ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
    // Unused with XON/XOFF off, but drivers check them: the limits must fit their buffers and the
    // two characters must differ.
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    dcb.ByteSize = settings.dataBits;
    dcb.Parity = parityCode(settings.parity);
    dcb.StopBits = stopBitsCode(settings.stopBits);
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    return dcb;
}

// SetCommState moves the lines on the drivers tried, Wine's included; driving them as well does not
// depend on when a driver acts on the state's line control. A port without modem lines (a
// pseudo-terminal under Wine, some virtual ports) refuses these: it has no line to key a radio with.
void driveLines(HANDLE handle, ControlLines lines) {
    EscapeCommFunction(handle, lines.dtrHigh ? SETDTR : CLRDTR);
    EscapeCommFunction(handle, lines.rtsHigh ? SETRTS : CLRRTS);
}

// Leaves the error in GetLastError when the driver refuses the state.
bool applyState(HANDLE handle, const LineSettings& settings, ControlLines lines) {
    DCB dcb = fullState(settings, lines);
    if (!SetCommState(handle, &dcb)) return false;
    driveLines(handle, lines);
    return true;
}

bool isTimeout(DWORD error) {
    return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT || error == ERROR_COUNTER_TIMEOUT;
}

// Nothing is ever read; a write that the driver cannot finish gives up after the given time.
bool setTimeouts(HANDLE handle, DWORD writeMilliseconds) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = writeMilliseconds;
    return SetCommTimeouts(handle, &timeouts) != FALSE;
}

// Whether the driver still holds bytes it has not sent (a driver that cannot tell says no).
bool stillQueued(HANDLE handle) {
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(handle, &errors, &status) != FALSE && status.cbOutQue > 0;
}

}  // namespace

void SerialPort::HandleCloser::operator()(void* handle) const noexcept {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

SerialPort::~SerialPort() = default;

void SerialPort::open(std::int16_t number, const LineSettings& settings, ControlLines lines) {
    if (number < 1 || number > kHighestPort) {
        throw Failure(failure_code::kInvalidPropertyValue, "invalid port number " + std::to_string(number));
    }
    if (isOpen()) throw Failure(failure_code::kPortAlreadyOpen, "the port is open");
    // Prefix the device name so that ports above COM9 open too.
    const std::wstring name = L"\\\\.\\COM" + std::to_wstring(number);
    HANDLE raw =
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (raw == INVALID_HANDLE_VALUE) throwLastError("cannot open COM" + std::to_string(number));
    // Owned from here on, so that a port that cannot be configured is closed again.
    Handle handle(raw);

    if (!applyState(raw, settings, lines)) throwLastError("the port refuses its line settings");
    if (!setTimeouts(raw, kWriteTimeoutMs)) throwLastError("cannot set the port's timeouts");
    stalled_ = false;

    // A line error left pending from before would otherwise be reported against our own writes.
    // Drivers that keep no such state may refuse the call; nothing is lost then.
    DWORD errors = 0;
    ClearCommError(raw, &errors, nullptr);

    handle_ = std::move(handle);
}

// The handle of a device that was pulled out, or reset, stays open, but the driver no longer
// answers for it: asking for the line's state is the cheapest question that reaches the device.
bool SerialPort::answers() const {
    if (!isOpen()) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    return GetCommState(handle_.get(), &dcb) != FALSE;
}

std::size_t SerialPort::write(std::string_view bytes) {
    if (!isOpen()) throw Failure(failure_code::kPortNotOpen, "the port is not open");
    if (bytes.empty()) return 0;
    if (bytes.size() > std::numeric_limits<DWORD>::max()) {
        throw Failure(failure_code::kInvalidPropertyValue, "too many bytes for one write");
    }

    // A plain write, bounded by the driver's write timeout set at open: an overlapped write with
    // its own wait costs a third more per request under Wine, and every serial driver honours the
    // timeout. A write that runs out of time comes back short; what it took stays on its way.
    // A stalled line that still holds bytes of earlier writes takes nothing now; the request fails
    // at once instead of waiting, and the bytes queued go out first once the radio reads again.
    if (stalled_ && stillQueued(handle_.get())) return 0;

    DWORD written = 0;
    if (WriteFile(handle_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        isTimeout(GetLastError())) {
        const bool whole = written == bytes.size();
        if (whole == stalled_) setWriteTimeout(whole ? kWriteTimeoutMs : kStalledWriteTimeoutMs);
        stalled_ = !whole;
        return written;
    }
    const DWORD error = GetLastError();
    // Anything else means the device is gone (an unplugged adapter): the handle is dead, and only a
    // new open can find the device again.
    handle_.reset();
    throwError(error, "cannot write to the port");
}

// Best effort: a driver that refuses keeps the timeout it has, which is bounded either way.
void SerialPort::setWriteTimeout(std::uint32_t milliseconds) {
    setTimeouts(handle_.get(), milliseconds);
}

}  // namespace zelt::win32
