#include "port/win32_serial_port.h"

#include <windows.h>

#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "common/failure.h"
#include "common/win32_text.h"

namespace zelt::win32 {
namespace {

// Every field is set (those not named to zero), because a Windows driver keeps whatever the last
// program left: an abort-on-error, null stripping or DSR sensitivity left on would make writes fail
// or data vanish. No flow control of any kind; DTR and RTS are plain outputs held as chosen. Leaves
// the error in GetLastError when the driver refuses the state.
bool applyState(HANDLE handle, const LineSettings& settings, ControlLines lines) {
    // In the order of Parity's and StopBits' values.
    constexpr BYTE kParity[] = {NOPARITY, EVENPARITY, ODDPARITY, MARKPARITY, SPACEPARITY};
    constexpr BYTE kStopBits[] = {ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS};
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    dcb.BaudRate = settings.baud;
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != Parity::None;
    dcb.fDtrControl = lines.dtrHigh ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fRtsControl = lines.rtsHigh ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    // Unused with XON/XOFF off, but drivers check them: the limits must fit their buffers and the
    // two characters must differ.
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    dcb.ByteSize = settings.dataBits;
    dcb.Parity = kParity[static_cast<std::size_t>(settings.parity)];
    dcb.StopBits = kStopBits[static_cast<std::size_t>(settings.stopBits)];
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    if (!SetCommState(handle, &dcb)) return false;
    // SetCommState moves the lines on the drivers tried, Wine's included; driving them as well does not
    // depend on when a driver acts on the state's line control. A port without modem lines (a
    // pseudo-terminal under Wine, some virtual ports) refuses these: it has no line to key a radio with.
    EscapeCommFunction(handle, lines.dtrHigh ? SETDTR : CLRDTR);
    EscapeCommFunction(handle, lines.rtsHigh ? SETRTS : CLRRTS);
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

// What an open found, handed from the port's thread to the window's.
struct OpenOutcome {
    HANDLE handle = nullptr;
    std::optional<Failure> failure;
};

// On the port's thread: the device opened and set up, or why not. A port that cannot be set up is
// closed again here.
void openAndSetUp(std::int16_t number, const LineSettings& settings, ControlLines lines,
                  OpenOutcome& outcome) {
    try {
        ScopedHandle handle(openDevice(number));
        if (handle.get() == INVALID_HANDLE_VALUE) throwLastError("cannot open COM" + std::to_string(number));
        if (!applyState(handle.get(), settings, lines)) throwLastError("the port refuses its line settings");
        if (!setTimeouts(handle.get(), SerialPort::kWriteTimeoutMs)) {
            throwLastError("cannot set the port's timeouts");
        }
        // A line error left pending from before would otherwise be reported against our own writes.
        // Drivers that keep no such state may refuse the call; nothing is lost then.
        DWORD errors = 0;
        ClearCommError(handle.get(), &errors, nullptr);
        outcome.handle = handle.release();
    } catch (const Failure& failure) {
        outcome.failure = failure;
    } catch (...) {
        outcome.failure = Failure(failure_code::kUnexpected, "cannot open COM" + std::to_string(number));
    }
}

}  // namespace

void SerialPort::startOpen(std::int16_t number, const LineSettings& settings, ControlLines lines) {
    if (isOpen() || openUnderWay_ != 0) throw Failure(failure_code::kPortAlreadyOpen, "the port is open");
    auto outcome = std::make_shared<OpenOutcome>();
    openUnderWay_ = thread_.run([=] { openAndSetUp(number, settings, lines, *outcome); },
                                [this, outcome] {
                                    openUnderWay_ = 0;
                                    if (outcome->handle != nullptr) {
                                        handle_ = ScopedHandle(outcome->handle);
                                        stalled_ = false;
                                    }
                                    if (onOpenEnded) {
                                        onOpenEnded(outcome->failure ? &*outcome->failure : nullptr);
                                    }
                                });
}

bool SerialPort::waitForOpen(std::uint32_t milliseconds) {
    return openUnderWay_ == 0 || thread_.waitFor(openUnderWay_, milliseconds);
}

void SerialPort::close() noexcept {
    if (!isOpen()) return;
    HANDLE handle = handle_.release();
    try {
        thread_.run([handle] { CloseHandle(handle); });
    } catch (...) {
        CloseHandle(handle);  // out of memory: closed here rather than never
    }
}

// The handle of a device that was pulled out, or reset, stays open, but the driver no longer
// answers for it: asking for the line's state is the cheapest question that reaches the device. The
// question is queued before any close of the handle, which therefore outlives it.
void SerialPort::startAsking() {
    if (!isOpen()) {
        if (onAnswered) onAnswered(false);
        return;
    }
    HANDLE handle = handle_.get();
    auto answered = std::make_shared<bool>(false);
    thread_.run(
        [handle, answered] {
            DCB dcb{};
            dcb.DCBlength = sizeof(dcb);
            *answered = GetCommState(handle, &dcb) != FALSE;
        },
        [this, answered] {
            if (onAnswered) onAnswered(*answered);
        });
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
        // Best effort: a driver that refuses keeps the timeout it has, which is bounded either way.
        if (whole == stalled_) setTimeouts(handle_.get(), whole ? kWriteTimeoutMs : kStalledWriteTimeoutMs);
        stalled_ = !whole;
        return written;
    }
    const DWORD error = GetLastError();
    // Anything else means the device is gone (an unplugged adapter): the handle is dead, and only a
    // new open can find the device again.
    close();
    throwError(error, "cannot write to the port");
}

}  // namespace zelt::win32
