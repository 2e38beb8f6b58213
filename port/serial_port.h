#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace zelt {

// The baud rates a classic serial control offers; nothing else is accepted.
inline constexpr std::array<std::uint32_t, 16> kBaudRates = {
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 28800, 38400, 56000, 57600, 115200, 128000, 256000};

enum class Parity : std::uint8_t { None, Even, Odd, Mark, Space };
enum class StopBits : std::uint8_t { One, OneAndHalf, Two };

struct LineSettings {
    std::uint32_t baud = 4800;
    Parity parity = Parity::None;
    std::uint8_t dataBits = 8;
    StopBits stopBits = StopBits::Two;

    bool operator==(const LineSettings&) const = default;
};

// Parses "baud,parity,data bits,stop bits" (for example "9600,n,8,1"): a listed baud rate, parity n,
// e, o, m or s in either case, 4 to 8 data bits, 1, 1.5 or 2 stop bits, no blanks; else nothing.
std::optional<LineSettings> parseLineSettings(std::string_view text);

// The highest port number there is: Windows names serial ports COM1 to COM255.
inline constexpr std::int16_t kHighestPort = 255;

// The modem control lines while the port is open: false holds a line low (off), true high. Both
// are low unless chosen otherwise, because many radio interfaces key the transmitter on DTR or RTS.
struct ControlLines {
    bool dtrHigh = false;
    bool rtsHigh = false;
    bool operator==(const ControlLines&) const = default;
};

// The radio's serial port in its own words. A driver may take seconds to open or close a port (a
// Bluetooth port whose far end is off) or to answer for a dying device, so those run elsewhere and
// return at once, their outcomes coming back on the caller's thread; a write stays on the caller's
// thread, bounded by its timeout. What fails throws Failure with a nonzero code, for callers to judge.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Starts opening COMn (1 to kHighestPort, as the radio line checks) with the settings and control
    // lines, and returns. One open at a time: the next may start once onOpenEnded told this one's end,
    // on the caller's thread, later or (an open that ends at once) before this returns. An open fails
    // for a port that is absent, in use or refuses the settings; the port is closed afterwards.
    virtual void startOpen(std::int16_t number, const LineSettings& settings, ControlLines lines) = 0;
    // How the open under way ended: nullptr, the port is open; otherwise why it failed.
    std::function<void(const std::exception* failure)> onOpenEnded;
    // Waits at most this long, on the caller's thread, for the open under way to end, telling its end
    // through onOpenEnded before returning; false when it did not end in time (it goes on). Only for
    // when nothing else can be waited for: the program's end, the session's end and sleep.
    virtual bool waitForOpen(std::uint32_t milliseconds) = 0;

    // Closed for the caller at once; the device is let go of elsewhere.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Starts asking whether the device behind the open port still answers: the handle of an
    // adapter that was pulled out, or reset, stays open but reaches nothing. The answer comes
    // through onAnswered on the caller's thread, as an open's end does.
    virtual void startAsking() = 0;
    std::function<void(bool answers)> onAnswered;

    // Sends the bytes in order in a single write, and returns how many the port took: fewer means the
    // write ran out of time, and the bytes taken stay on their way (nothing handed over is thrown
    // away). Fails when the port is not open or the device failed; a device that failed other than by
    // a timeout is gone, and the port is closed, so that the next open finds it if it came back.
    virtual std::size_t write(std::string_view bytes) = 0;

    // The numbers of the serial ports present on the machine, in ascending order.
    virtual std::vector<std::int16_t> presentPorts() const = 0;
};

}  // namespace zelt
