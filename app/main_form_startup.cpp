#include <optional>

#include "app/event_text.h"
#include "app/main_form.h"
#include "common/failure.h"

namespace zelt {

namespace {
// The list position of a stored port comes from the same reading as the port number, so that the
// list shows the port actually opened ("2.5" is COM2 in both).
std::int16_t listPosition(std::string_view stored) {
    const int position = textToInt16(stored) - 1;
    if (position < INT16_MIN) throw Failure(failure_code::kOverflow, "list position beyond 16 bits");
    return static_cast<std::int16_t>(position);
}
}  // namespace

// Start-up, in its fixed order. A step that fails is skipped and the next one runs, so the program
// always reaches the running state; nothing is shown.
void MainForm::load() noexcept {
    Trap trap;
    trap.step([&] { log_.add(eventText_.assign("zelt ").append(kVersion).append(" starting")); });
    trap.step([&] { window_.listenToHost(); });

    // The controls take their stored values; their reactions would do nothing before loaded_ is
    // set, so none is run, and the line takes the same values outright.
    trap.step([&] {
        lineSettingsText_ = readSetting(store_, settings::kLineSettings);
        window_.showLineSettings(lineSettingsText_);
    });
    trap.step([&] { fillPortList(); });
    trap.step([&] { choosePort(listPosition(readSetting(store_, settings::kComPort))); });
    trap.step([&] { line_.setPortNumber(textToInt16(readSetting(store_, settings::kComPort))); });
    trap.step([&] { line_.setLineSettings(lineSettingsText_); });
    // Only exactly "1" raises a line: a radio keyed on DTR or RTS must not transmit by accident. A
    // failed read leaves both lines as the line holds them until told otherwise: low.
    trap.step([&] {
        const bool dtr = readSetting(store_, settings::kDtr) == "1";
        line_.setControlLines({dtr, readSetting(store_, settings::kRts) == "1"});
    });

    // Each check box's value is stored again as it is read: every start leaves both window options
    // stored as plain "0" or "1", the defaults after the first start.
    trap.step([&] {
        setCheck(CheckBox::RunMinimized, textToInt16(readSetting(store_, settings::kRunMinimized)));
        storeCheck(CheckBox::RunMinimized);
    });
    trap.stepIf([&] { return runMinimized_ != 0; }, [&] { window_.setMinimized(); });
    trap.step([&] {
        setCheck(CheckBox::OnTop, textToInt16(readSetting(store_, settings::kTopmost)));
        storeCheck(CheckBox::OnTop);
        applyTopmost();
    });
    trap.step([&] { applyTopmost(); });

    trap.step([&] { frameWidth_ = window_.frameWidth(); });
    trap.step([&] { window_.setOuterWidth(layout::collapsedOuterWidth(layout::kPanelButton, frameWidth_)); });

    // Optional: nothing stored, or anything but "1", leaves the changes silent.
    trap.step([&] { cues_.setSoundOn(readSetting(store_, settings::kSound) == "1"); });
    // Optional: nothing stored, or a value not understood (logged), leaves the transmitter untimed.
    trap.step([&] {
        const std::string stored = readSetting(store_, settings::kTransmitLimit);
        const std::optional<std::uint32_t> seconds = transmitLimitFromText(stored);
        if (!seconds) {
            logNotUnderstood(log_, eventText_, settings::kTransmitLimit, stored, "transmit time limit off");
        }
        limit_.set(seconds.value_or(0));
    });

    loaded_ = true;
    // "zelt 3.00 started: COM1, 4800,n,8,2, transmit time limit off", just before the port opens.
    trap.step([&] {
        eventText_.assign("zelt ").append(kVersion).append(" started: COM");
        appendNumber(eventText_, line_.portNumber());
        eventText_.append(", ").append(line_.lineSettings()).append(", transmit time limit ");
        if (limit_.seconds() == 0) {
            eventText_ += "off";
        } else {
            appendNumber(eventText_, limit_.seconds());
            eventText_ += " s";
        }
        log_.add(eventText_);
    });
    line_.open();
}

}  // namespace zelt
