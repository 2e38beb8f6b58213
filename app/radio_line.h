#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/event_log.h"
#include "port/serial_port.h"

namespace zelt {

// Yaesu CAT command blocks, each sent as one write: four parameter bytes, then the instruction
// byte (0x0F: PTT).
inline constexpr std::string_view kPttOff{"\x00\x00\x00\x00\x0F", 5};
inline constexpr std::string_view kPttOn{"\x00\x00\x00\x01\x0F", 5};

// Everything between a request and the bytes on the wire for the one radio: its port, the command
// stream, what the radio was last told, a request a message box held up, every way of letting go of
// it; opens, closes and unkeys nobody asked for are logged. The window's thread calls every member
// and hears every callback; the port opens, closes and asks its device on its own thread and tells
// the outcome back on the window's. Only the program's end, the session's end and sleep wait for
// it, a bounded time, for an owed unkey.
class RadioLine {
  public:
    enum class State : std::uint8_t {
        Receiving,          // the last whole block on the line was an unkey
        Transmitting,       // the last whole block was a key, as asked
        MayBeTransmitting,  // keyed, and an unkey asked for has not reached it whole
    };

    // How long the end of the program or session, and sleep, wait for a port still opening to take
    // an owed unkey: Windows allows a sleep notification about two seconds, the write the rest.
    static constexpr std::uint32_t kEndingWaitMs = 3000;
    static constexpr std::uint32_t kSleepWaitMs = 800;

    RadioLine(SerialPort& port, EventLog& log);
    ~RadioLine();
    RadioLine(const RadioLine&) = delete;
    RadioLine& operator=(const RadioLine&) = delete;

    // Every change of state, with the state before it; must not throw. The line is the one record.
    std::function<void(State before, State now)> onStateChanged;
    State state() const;

    // ---- The port ----

    // 1 is COM1, for the next open. Fails for 0, negative numbers and numbers above 255.
    void setPortNumber(std::int16_t number);
    std::int16_t portNumber() const { return target_.number; }
    // "baud,parity,data bits,stop bits", for the next open. A refused text fails, changing nothing.
    void setLineSettings(const std::string& text);
    const std::string& lineSettings() const { return target_.text; }
    // From the next open.
    void setControlLines(ControlLines lines) { target_.lines = lines; }

    bool isOpen() const { return port_.isOpen(); }
    // An open is under way: requests fail at once until it ends.
    bool isOpening() const { return opening_.has_value(); }
    // Wants the port open on the target in force, and starts that open unless one is under way (an
    // open a later change made pointless is closed as it ends, and the newest follows). `onFailed`
    // runs if this open, not a later one that replaced it, fails.
    void open(std::function<void()> onFailed = {}) noexcept;
    // The port is let go of at once, and one still opening is closed as soon as it is open.
    void close();
    std::vector<std::int16_t> presentPorts() const { return port_.presentPorts(); }

    // ---- Requests ----

    // Keys (true) or unkeys the radio, completing a torn block as an unkey first. Fails, writing
    // nothing, while the port is closed (an open is started for the next request) or opening, while
    // a message box holds it (the request is held up), for a key after the session ended, once the
    // radio was let go of, and when the write fails or is cut short: a failed unkey is owed.
    void request(bool transmit);
    // The bytes the last request, or the last unkey nobody asked for, put on the line.
    const std::string& written() const { return written_; }

    // Shows a message box with the port held closed: requests meanwhile fail; carryOutHeldRequest
    // carries out the last, at once or as the open under way ends, unless a request or unkey dropped it.
    void holdClosedWhile(const std::function<void()>& show);
    void carryOutHeldRequest() noexcept;

    // ---- Letting go of the radio ----

    // The one way a radio that may be keyed is unkeyed unasked (closing, session end, another port,
    // sleep, the time limit, an owed unkey), logged as `occasion`. A closed port is opened for it, and
    // the unkey owed until the open ends. Only the radio on the port it was keyed on is unkeyed, there
    // (an open of it under way after a move takes it as it ends); no other radio is told anything. A
    // request a message box held up is dropped. Returns whether the radio the line reaches is unkeyed.
    bool letGo(std::string_view occasion) noexcept;
    // The window is going away: unkeyed, and the port is released for good. An unkey owed to a port
    // still opening is left to finishRelease, once the window is gone.
    void release() noexcept;
    bool released() const { return released_; }
    // Waits at most `milliseconds` for an open under way to deliver an owed unkey (not at all when
    // none is owed), then lets go of the port.
    void finishRelease(std::uint32_t milliseconds) noexcept;
    // The session ends and the process may end any moment after: unkeyed now, waiting at most
    // `milliseconds` for a port still opening, and no key request is carried out from now on.
    void sessionEnding(std::uint32_t milliseconds) noexcept;
    // Sleep: unkeyed and closed before the message returns, waiting at most `milliseconds` for a port
    // still opening. After the wake the port is opened once, however many wake messages come.
    void suspending(std::uint32_t milliseconds) noexcept;
    // Windows tells of a user's wake twice (the second byUser); the second opens nothing.
    void resumed(bool byUser) noexcept;

    // ---- Devices ----

    // A port went away: if it is this line's, its handle is closed at once.
    void portRemoved(std::int16_t number) noexcept;
    // A port arrived: if it is this line's, it is opened, and an unkey the radio is owed goes out.
    void portArrived(std::int16_t number) noexcept {
        if (number == target_.number) reconnect();
    }
    // Devices changed, unnamed: the port is closed if its device no longer answers; a closed port is
    // opened, and an owed unkey goes out.
    void devicesChanged() noexcept;

  private:
    // The command stream on one port's line: a short write leaves part of a block, and the radio
    // would read every later block misaligned.
    struct Stream {
        std::int16_t port = 0;  // the port whose line this is
        std::string partial;    // the bytes of the block in progress
        bool torn = false;      // a realignment is owed before anything else goes out
    };
    // What an open is asked for, and what is in force for the next; an open that ends on another is stale.
    struct Target {
        std::int16_t number = 0;
        LineSettings settings;
        ControlLines lines;
        std::string text;  // the settings as typed, for the log; two spellings of one are one target
        bool operator==(const Target& other) const {
            return number == other.number && settings == other.settings && lines == other.lines;
        }
    };
    enum class Unkey : std::uint8_t { IfTorn, IfKeyed, Always };
    // The occasion of an owed unkey that no letGo named.
    static constexpr std::string_view kUndelivered = "unkey that could not be delivered before";

    void startOpen() noexcept;
    void openEnded(const std::exception* failure) noexcept;
    void unkeyOnOpenPort(std::string_view occasion) noexcept;
    void answered(bool answers) noexcept;
    void waitForOwedUnkey(std::uint32_t milliseconds, std::string_view occasion) noexcept;
    void closeIfOpen() noexcept;
    void logPort(std::int16_t number, std::string_view what, const std::exception* failure = nullptr,
                 std::string_view settings = {}, std::string_view tail = {}) noexcept;
    void unkey(Unkey when);
    void write(std::string_view bytes);
    // What the radio was last told is known only for the stream's port: the line keyed no other radio.
    bool mayBeKeyedOn(std::int16_t number) const {
        return stream_.port == number && (keyed_ || stream_.torn);
    }
    // The radio the line reaches: through the open under way, else on the port in force.
    bool mayBeKeyed() const { return mayBeKeyedOn(opening_ ? opening_->number : target_.number); }
    void reconnect() noexcept;
    void changed() noexcept;

    SerialPort& port_;
    EventLog& log_;
    Target target_{1, LineSettings{}, ControlLines{}, "4800,n,8,2"};  // LineSettings{} is 4800,n,8,2
    std::int16_t openOn_ = 0;  // the port the last successful open opened: where writes go
    Stream stream_;
    bool keyed_ = false;  // the last whole block on the line was a key
    bool owed_ = false;   // keyed, and an unkey meant for it did not reach the radio whole
    State reported_ = State::Receiving;
    std::optional<Target> opening_;       // the open under way
    bool wantOpen_ = false;               // the port is to be open on the target in force
    std::function<void()> onOpenFailed_;  // the reaction of the open wanted, should it fail
    std::string owedOccasion_;            // why an unkey owed to an open under way is sent, for the log
    bool asking_ = false;                 // a question to the device is under way
    bool held_ = false;                   // a message box holds the port closed
    std::optional<bool> heldRequest_;     // once the box is gone, it waits for an open under way
    bool released_ = false;
    bool sessionEnded_ = false;
    bool woken_ = false;       // the wake since the last sleep was followed: a user's wake opens nothing more
    bool waitedOut_ = false;   // a bounded wait ran out on the open under way: no other waits for it
    std::uint32_t opens_ = 0;  // opens that succeeded, so that an answer about an earlier handle is stale
    std::uint32_t askedOf_ = 0;  // the open whose device was asked
    std::string written_;
    std::string eventText_;  // each event's text is made here, reusing its room
};

}  // namespace zelt
