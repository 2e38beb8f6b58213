#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "port/line_settings.h"

namespace zelt {

// The highest port number there is: Windows names serial ports COM1 to COM255.
inline constexpr std::int16_t kHighestPort = 255;

// The modem control lines while the port is open: false holds a line low (off), true high. Both
// are low unless chosen otherwise, because many radio interfaces key the transmitter on DTR or RTS.
struct ControlLines {
    bool dtrHigh = false;
    bool rtsHigh = false;
};

// The radio's serial port in its own words: opened on a number with line settings, written to,
// closed. Every operation either succeeds or throws Failure with a nonzero code; the callers decide
// what a failure means.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens COMn (1 is COM1) with the settings and control lines. Fails for a port that is absent,
    // in use or refuses the settings, and for a port already open; the port is closed afterwards.
    virtual void open(std::int16_t number, const LineSettings& settings, ControlLines lines) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Whether the device behind the open port still answers: the handle of an adapter that was
    // pulled out, or reset, stays open but reaches nothing. False for a closed port.
    virtual bool answers() const = 0;

    // Sends the bytes, in order, in a single write, and returns how many the port took: fewer than
    // all means the write ran out of time, and the bytes taken stay on their way (nothing handed
    // over is ever thrown away). Fails when the port is not open, or when the device failed; a
    // device that failed for any reason other than a timeout is gone, and the port is closed, so
    // that the next open finds it again if it came back.
    virtual std::size_t write(std::string_view bytes) = 0;

    // The numbers of the serial ports present on the machine, in ascending order.
    virtual std::vector<std::int16_t> presentPorts() const = 0;
};

}  // namespace zelt
