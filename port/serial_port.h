#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelt {

// The radio's serial port as the rest of the program uses it. Every operation either succeeds or
// throws Failure with a nonzero code; the callers decide what a failure means.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Port 1 is COM1. Fails for 0, negative numbers, numbers the platform cannot name, and while
    // the port is open (it is only ever changed while closed).
    virtual void setCommPort(std::int16_t number) = 0;
    virtual std::int16_t commPort() const = 0;

    // "baud,parity,data bits,stop bits", for example "4800,n,8,2". A refused text fails and leaves
    // the settings in force; accepted settings apply to an open port at once.
    virtual void setSettings(const std::string& settings) = 0;
    virtual std::string settings() const = 0;

    // The modem control lines while the port is open: false holds a line low (off), true high.
    // Both are low unless set otherwise, because many radio interfaces key the transmitter on
    // DTR or RTS. Applies to an open port at once and to every later open.
    virtual void setControlLines(bool dtrHigh, bool rtsHigh) = 0;

    virtual bool portOpen() const = 0;
    // true opens the port with the current number, settings and control lines; false closes it.
    virtual void setPortOpen(bool open) = 0;

    // Sends each character's code as one byte, in order, in a single write, and returns how many
    // bytes the port took: fewer than all means the write ran out of time, and the bytes taken
    // stay on their way (nothing handed over is ever thrown away). Fails when the port is not
    // open, or when the device failed; a device that failed for any reason other than a timeout
    // is gone, and the port is closed, so that the next open finds it again if it came back.
    virtual std::size_t output(const std::string& bytes) = 0;

    // The numbers of the serial ports present on the machine, in ascending order.
    virtual std::vector<std::int16_t> presentPorts() const = 0;
};

}  // namespace zelt
