#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/call_log.h"
#include "ui/operator_ui.h"
#include "ui/timer.h"

namespace zelt::testing {

// The window's timer, fired by the test (fire()). Records every start; fails to start when the
// log is told to ("startTimer").
class FakeTimer : public Timer {
  public:
    explicit FakeTimer(CallLog& log) : log_(log) {}

    bool running = false;
    std::vector<std::uint32_t> starts;  // the period of each start, in milliseconds
    int stops = 0;

    void start(std::uint32_t milliseconds) override {
        log_.call("startTimer", std::to_string(milliseconds));
        running = true;
        starts.push_back(milliseconds);
    }
    void stop() noexcept override {
        running = false;
        ++stops;
    }

  private:
    CallLog& log_;
};

// Beeps counted, the event log window's openings counted, the About box's text kept.
class FakeOperatorUi : public OperatorUi {
  public:
    explicit FakeOperatorUi(CallLog& log) : log_(log) {}

    int beeps = 0;
    int logWindowShown = 0;
    std::vector<std::string> aboutShown;

    void beep() noexcept override { ++beeps; }
    void showEventLog() override {
        log_.call("showEventLog");
        ++logWindowShown;
    }
    void showAbout(const std::string& text) override {
        log_.call("showAbout");
        aboutShown.push_back(text);
    }

  private:
    CallLog& log_;
};

}  // namespace zelt::testing
