#pragma once

#include <gtest/gtest.h>

#include "app/main_form.h"
#include "common/event_log.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_cues.h"
#include "fakes/fake_operator_ui.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_settings_store.h"
#include "fakes/fake_window_system.h"

namespace zelt::testing {

// A MainForm on fakes. The window's destruction reaches the form the way the Win32 view passes it on.
class FormFixture : public ::testing::Test {
  protected:
    CallLog log;
    FakeSerialPort port{log};
    FakeSettingsStore store{log};
    FakeWindowSystem window{log};
    FakeMessageDialog messages{log};
    FakeHostLink hostLink{log};
    FakeClock clock;
    EventLog events{clock};
    FakeTimer timer{log};
    FakeOperatorUi operatorUi{log};
    FakeCueSound sound{log};
    FakeTaskbarButton taskbar{log};
    MainForm form{{port, store, window, messages, hostLink, events, timer, operatorUi, sound, taskbar}};

    FormFixture() {
        window.onDestroy = [this] { form.windowDestroyed(); };
    }

    // Runs start-up, then forgets the calls it made.
    void startUp() {
        form.load();
        log.calls.clear();
    }

    std::vector<std::string> bytesOn(int portNumber) const {
        std::vector<std::string> out;
        for (const auto& [number, bytes] : port.written) {
            if (number == portNumber) out.push_back(bytes);
        }
        return out;
    }

    // The failure code a request ends with, 0 when it goes through.
    std::int32_t failureOf(std::int32_t code, std::int32_t state) {
        try {
            form.ptt(code, state);
        } catch (const Failure& failure) {
            return failure.code();
        }
        return 0;
    }

    // The texts of the events logged, oldest first.
    std::vector<std::string> eventTexts() const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < events.size(); ++i) out.push_back(events.at(i).text);
        return out;
    }

    // Everything the radio on that port received, as one stream.
    std::string lineOf(int portNumber) const {
        std::string line;
        for (const std::string& bytes : bytesOn(portNumber)) line += bytes;
        return line;
    }
};

inline const std::string kOnBlock{"\x00\x00\x00\x01\x0F", 5};
inline const std::string kOffBlock{"\x00\x00\x00\x00\x0F", 5};

}  // namespace zelt::testing
