#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/call_log.h"
#include "port/line_settings.h"
#include "port/serial_port.h"

namespace zelt::testing {

// A serial port that behaves like the real one (valid numbers, settings parsed, writes only while
// open) and records what the radio on each port would have received. Tests can make the next write
// run out of time part-way, or find the device gone.
class FakeSerialPort : public SerialPort {
  public:
    explicit FakeSerialPort(CallLog& log) : log_(log) {}

    std::set<int> present{1, 2, 3, 4};                 // the ports that exist on the machine
    std::vector<std::pair<int, std::string>> written;  // port number, bytes one write handed over
    int opens = 0;
    bool dtrHigh = false;
    bool rtsHigh = false;

    // The next write: takes only this many bytes (the rest is not taken), or fails as an unplugged
    // adapter does, which closes the port.
    std::optional<std::size_t> takeOnly;
    bool deviceDiesOnNextWrite = false;

    void setCommPort(std::int16_t number) override {
        log_.call("setCommPort", std::to_string(number));
        if (number <= 0) throw Failure(failure_code::kInvalidPropertyValue, "bad port number");
        if (open_) throw Failure(failure_code::kPortAlreadyOpen, "port open");
        number_ = number;
    }
    std::int16_t commPort() const override {
        log_.call("commPort");
        return number_;
    }
    void setSettings(const std::string& settings) override {
        log_.call("setSettings", settings);
        if (!parseLineSettings(settings)) throw Failure(failure_code::kInvalidPropertyValue, "bad settings");
        settings_ = settings;
    }
    std::string settings() const override { return settings_; }
    void setControlLines(bool dtr, bool rts) override {
        log_.call("setControlLines", std::to_string(dtr) + "," + std::to_string(rts));
        dtrHigh = dtr;
        rtsHigh = rts;
    }
    bool portOpen() const override {
        log_.call("portOpen");
        return open_;
    }
    void setPortOpen(bool open) override {
        log_.call(open ? "open" : "close", open ? std::to_string(number_) : std::string{});
        if (!open) {
            open_ = false;
            return;
        }
        if (open_) return;
        if (present.count(number_) == 0) throw Failure(2, "no such port");
        open_ = true;
        ++opens;
        openedWith_ = settings_;
    }
    std::size_t output(const std::string& bytes) override {
        log_.call("output");
        if (!open_) throw Failure(failure_code::kPortNotOpen, "port not open");
        if (std::exchange(deviceDiesOnNextWrite, false)) {
            open_ = false;
            throw Failure(22, "the device does not recognize the command");
        }
        const std::size_t taken = std::min(takeOnly.value_or(bytes.size()), bytes.size());
        takeOnly.reset();
        if (taken > 0) written.emplace_back(number_, bytes.substr(0, taken));
        return taken;
    }
    std::vector<std::int16_t> presentPorts() const override {
        log_.call("presentPorts");
        return {present.begin(), present.end()};
    }

    // Helpers for tests.
    bool isOpen() const { return open_; }
    std::int16_t number() const { return number_; }
    const std::string& settingsInForce() const { return settings_; }
    const std::string& openedWith() const { return openedWith_; }
    void forceOpen(bool open) { open_ = open; }

  private:
    CallLog& log_;
    std::int16_t number_ = 1;
    std::string settings_ = "4800,n,8,2";
    std::string openedWith_;
    bool open_ = false;
};

}  // namespace zelt::testing
