#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/call_log.h"
#include "ui/cue_waves.h"
#include "ui/transmit_cues.h"

namespace zelt::testing {

// The cues played ("playCue(transmitting)") and the taskbar's calls ("markTransmitting(on)"), in
// the call log, where a test can also make each of them fail.
class FakeCueSound : public CueSound {
  public:
    explicit FakeCueSound(CallLog& log) : log_(log) {}
    std::vector<std::string> played;
    void play(const std::vector<std::uint8_t>& wave) override {
        played.emplace_back(wave == cue_waves::transmitting() ? "transmitting" : "receiving");
        log_.call("playCue", played.back());
    }

  private:
    CallLog& log_;
};

class FakeTaskbarButton : public TaskbarButton {
  public:
    explicit FakeTaskbarButton(CallLog& log) : log_(log) {}
    void connect() override { log_.call("connectTaskbar"); }
    void markTransmitting(bool on) override { log_.call("markTransmitting", on ? "on" : "off"); }

  private:
    CallLog& log_;
};

}  // namespace zelt::testing
