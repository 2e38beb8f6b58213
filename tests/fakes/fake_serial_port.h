#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/call_log.h"
#include "port/serial_port.h"

namespace zelt::testing {

// A serial port that behaves like the real one (opens only ports present, writes only while open)
// and records what the radio on each port would have received. Tests can make the next write run
// out of time part-way, find the device gone, or pull the adapter out under an open handle. An
// open ends at once, unless the test holds opens: then each ends only when the test says so, so
// that every interleaving of requests, changes and the end of an open can be played.
class FakeSerialPort : public SerialPort {
  public:
    explicit FakeSerialPort(CallLog& log) : log_(log) {}

    std::set<int> present{1, 2, 3, 4};                 // the ports that exist on the machine
    std::vector<std::pair<int, std::string>> written;  // port number, bytes one write handed over
    int opens = 0;

    // The next write: takes only this many bytes (the rest is not taken), or fails as an unplugged
    // adapter does, which closes the port.
    std::optional<std::size_t> takeOnly;
    bool deviceDiesOnNextWrite = false;
    std::function<void()> onWrite;  // runs as each write begins

    // Opens wait for endOpen() or failOpen(); a bounded wait ends the open under way only if told.
    bool holdOpens = false;
    bool openEndsWhileWaited = false;
    std::vector<std::uint32_t> waits;  // every bounded wait asked for, in milliseconds

    void startOpen(std::int16_t number, const LineSettings& settings, ControlLines lines) override {
        log_.call("open", std::to_string(number));
        if (open_ || pending_) throw Failure(failure_code::kPortAlreadyOpen, "port open");
        pending_ = true;
        pendingNumber_ = number;
        pendingSettings_ = settings;
        pendingLines_ = lines;
        if (!holdOpens) endOpen();
    }
    bool opening() const { return pending_; }
    std::int16_t openingNumber() const { return pendingNumber_; }
    // The open under way ends as the device makes it: open when the port is present.
    void endOpen() {
        if (present.count(pendingNumber_) == 0) {
            failOpen(2, "no such port");
            return;
        }
        pending_ = false;
        open_ = true;
        dead_ = false;
        number_ = pendingNumber_;
        openedWith_ = pendingSettings_;
        lines_ = pendingLines_;
        ++opens;
        if (onOpenEnded) onOpenEnded(nullptr);
    }
    // The open under way fails, however long it took: a Bluetooth port out of range does so.
    void failOpen(std::int32_t code = 121,
                  const std::string& why = "the semaphore timeout period has expired") {
        pending_ = false;
        const Failure failure(code, why);
        if (onOpenEnded) onOpenEnded(&failure);
    }
    bool waitForOpen(std::uint32_t milliseconds) override {
        log_.call("waitForOpen", std::to_string(milliseconds));
        waits.push_back(milliseconds);
        if (pending_ && openEndsWhileWaited) endOpen();
        return !pending_;
    }
    void close() override {
        log_.call("close");
        open_ = false;
    }
    bool isOpen() const override {
        log_.call("isOpen");
        return open_;
    }
    void startAsking() override {
        log_.call("answers");
        if (onAnswered) onAnswered(open_ && !dead_);
    }
    std::size_t write(std::string_view bytes) override {
        log_.call("write");
        if (onWrite) onWrite();
        if (!open_) throw Failure(failure_code::kPortNotOpen, "port not open");
        if (dead_ || std::exchange(deviceDiesOnNextWrite, false)) {
            open_ = false;
            throw Failure(22, "the device does not recognize the command");
        }
        const std::size_t taken = std::min(takeOnly.value_or(bytes.size()), bytes.size());
        takeOnly.reset();
        if (taken > 0) written.emplace_back(number_, std::string(bytes.substr(0, taken)));
        return taken;
    }
    std::vector<std::int16_t> presentPorts() const override {
        log_.call("presentPorts");
        return {present.begin(), present.end()};
    }

    // The adapter behind the port is pulled out: the port is no longer present, and a handle kept
    // open reaches nothing (writes fail and close it, as on Windows).
    void pullOut(int number) {
        present.erase(number);
        if (open_ && number_ == number) dead_ = true;
    }

    // Helpers for tests.
    bool isOpenNow() const { return open_; }
    // The port last opened, and with what.
    std::int16_t number() const { return number_; }
    const LineSettings& openedWith() const { return openedWith_; }
    ControlLines lines() const { return lines_; }
    void forceOpen(bool open) { open_ = open; }

  private:
    CallLog& log_;
    std::int16_t number_ = 0;
    LineSettings openedWith_;
    ControlLines lines_;
    bool open_ = false;
    bool dead_ = false;
    bool pending_ = false;  // an open is under way
    std::int16_t pendingNumber_ = 0;
    LineSettings pendingSettings_;
    ControlLines pendingLines_;
};

// The settings a text stands for, to compare with what a port was opened with.
inline LineSettings settingsOf(const std::string& text) {
    return *parseLineSettings(text);
}

}  // namespace zelt::testing
