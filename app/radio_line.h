#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/event_log.h"
#include "port/line_settings.h"
#include "port/serial_port.h"

namespace zelt {

// Everything between a request and the bytes on the wire, for the one radio the program talks to:
// its serial port (number, line settings, open or closed), the stream of command blocks on the
// line, what the radio was last told, a request held up while a message box holds the port, and
// every way of letting go of the radio. Port opens and closes, and every unkey that nobody asked
// for at that moment, are written to the event log.
class RadioLine {
  public:
    enum class State : std::uint8_t {
        Receiving,          // the last whole block on the line was an unkey
        Transmitting,       // the last whole block was a key, as asked
        MayBeTransmitting,  // keyed, and an unkey asked for has not reached it whole
    };

    RadioLine(SerialPort& port, EventLog& log);
    RadioLine(const RadioLine&) = delete;
    RadioLine& operator=(const RadioLine&) = delete;

    // Told of every change of state as it happens; must not throw.
    std::function<void(State)> onStateChanged;
    State state() const;

    // ---- The port ----

    // 1 is COM1, for the next open. Fails for 0, negative numbers and numbers above 255; the number
    // in force then stays.
    void setPortNumber(std::int16_t number);
    std::int16_t portNumber() const { return number_; }
    // "baud,parity,data bits,stop bits", parsed here once, for the next open. A refused text fails
    // and leaves the settings in force.
    void setLineSettings(const std::string& text);
    const std::string& lineSettings() const { return settingsText_; }
    // From the next open.
    void setControlLines(ControlLines lines) { lines_ = lines; }

    bool isOpen() const;
    // Opens the port on the number and settings in force. Fails when the port cannot be opened, and
    // for a port already open (only a close that failed leaves one).
    void open();
    void close();
    std::vector<std::int16_t> presentPorts() const;

    // ---- Requests ----

    // Keys (true) or unkeys the radio: a closed port gets one open attempt, a torn block on the
    // line is completed as an unkey first, then the block goes out. Fails when the port cannot be
    // opened or the write fails (a write cut short included), while a message box holds the port
    // (the request is then held up), and once the program has let go of the radio.
    void request(bool transmit);
    // The bytes the last request, or the last unkey nobody asked for, put on the line.
    const std::string& written() const { return written_; }

    // Shows a message box with the port held closed: requests meanwhile fail, and the last of them
    // is carried out by carryOutHeldRequest once the box is gone and the port is open again.
    void holdClosedWhile(const std::function<void()>& show);
    void carryOutHeldRequest();

    // ---- Letting go of the radio ----

    // The one way a radio that may be keyed is unkeyed when nobody asked for it at that moment:
    // closing, the end of the session, another port, sleep, the transmit time limit, an unkey that
    // was owed. A closed port (absent, lost, or held by a message box) is opened for it. Whatever
    // comes of it is logged as `occasion`; returns whether the radio is unkeyed. A request that a
    // message box held up is dropped, so that it cannot key the radio afterwards.
    bool letGo(std::string_view occasion) noexcept;
    // The window is going away: unkeyed, and the port is released for good.
    void release() noexcept;
    bool released() const { return released_; }
    void sessionEnding() noexcept;
    // The machine goes to sleep: unkeyed and closed before the message returns. After it wakes, the
    // port is opened again, and an unkey still owed goes out.
    void suspending() noexcept;
    void resumed() noexcept;

    // ---- Devices ----

    // A port went away: if it is this line's, its handle is closed at once.
    void portRemoved(std::int16_t number) noexcept;
    // A port arrived: if it is this line's, it is opened, and an unkey the radio is owed goes out.
    void portArrived(std::int16_t number) noexcept;
    // Devices came or went, unnamed: this line's port, if its device no longer answers, is closed;
    // a closed port is opened, and an unkey the radio is owed goes out.
    void devicesChanged() noexcept;

  private:
    // The command stream on one port's line. A write that comes back short leaves part of a block
    // there, and the radio would read every later block misaligned.
    struct Stream {
        std::int16_t port = 0;  // the port whose line this is
        std::string partial;    // the bytes of the block in progress
        bool torn = false;      // a realignment is owed before anything else goes out
    };
    enum class Unkey : std::uint8_t { IfTorn, IfKeyed, Always };

    void closeIfOpen() noexcept;
    void logPort(std::string_view what, const std::exception* failure = nullptr) noexcept;
    void key();
    void unkey(Unkey when);
    void write(const std::string& bytes);
    void recordOnLine(std::string_view taken);
    bool streamTorn() const;
    bool mayBeKeyed() const;
    void reconnect() noexcept;
    void changed() noexcept;

    SerialPort& port_;
    EventLog& log_;
    std::int16_t number_ = 1;
    std::string settingsText_ = "4800,n,8,2";
    LineSettings settings_;
    ControlLines lines_;
    Stream stream_;
    bool keyed_ = false;  // the last whole block on the line was a key
    bool owed_ = false;   // keyed, and an unkey meant for it did not reach the radio whole
    State reported_ = State::Receiving;
    bool held_ = false;  // a message box holds the port closed
    std::optional<bool> heldRequest_;
    bool released_ = false;
    std::string written_;
    std::string eventText_;  // each event's text is made here, reusing its room
};

}  // namespace zelt
