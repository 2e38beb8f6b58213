#pragma once

#include <cstdint>
#include <string>

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

    virtual bool portOpen() const = 0;
    // true opens the port with the current number and settings; false closes it.
    virtual void setPortOpen(bool open) = 0;

    // Sends each character's code as one byte, in order, in a single write. Fails when the port is
    // not open, when the write does not finish in bounded time, or when it is short.
    virtual void output(const std::string& bytes) = 0;
};

}  // namespace zelt
