#pragma once

#include <gtest/gtest.h>

#include "app/main_form.h"
#include "common/event_log.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_settings_store.h"
#include "fakes/fake_window.h"

namespace zelt::testing {

// A MainForm on fakes. The window's closing reaches the form the way the Win32 window passes it on.
class FormFixture : public ::testing::Test {
  protected:
    CallLog log;
    FakeSerialPort port{log};
    FakeSettingsStore store{log};
    FakeWindow window{log};
    FakeClock clock;
    EventLog events{clock};
    MainForm form{{port, store, window, events}};

    FormFixture() {
        window.onClose = [this] { form.windowDestroyed(); };
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
