#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/call_log.h"
#include "ui/cue_waves.h"
#include "ui/transmit_cues.h"

namespace zelt::testing {

// Every cue played, by which it was ("transmitting", "receiving"); fails when the log is told to
// ("playCue").
class FakeCueSound : public CueSound {
  public:
    explicit FakeCueSound(CallLog& log) : log_(log) {}

    std::vector<std::string> played;

    void play(const std::vector<std::uint8_t>& wave) override {
        const std::string which = wave == cue_waves::transmitting() ? "transmitting"
                                  : wave == cue_waves::receiving()  ? "receiving"
                                                                    : "another sound";
        log_.call("playCue", which);
        played.push_back(which);
    }

  private:
    CallLog& log_;
};

// The taskbar button's marks, true for transmitting; connect and marks fail when the log is told
// to ("connectTaskbar", "markTransmitting").
class FakeTaskbarButton : public TaskbarButton {
  public:
    explicit FakeTaskbarButton(CallLog& log) : log_(log) {}

    int connects = 0;
    std::vector<bool> marks;

    void connect() override {
        log_.call("connectTaskbar");
        ++connects;
    }
    void markTransmitting(bool transmitting) override {
        log_.call("markTransmitting", transmitting ? "on" : "off");
        marks.push_back(transmitting);
    }

  private:
    CallLog& log_;
};

}  // namespace zelt::testing
