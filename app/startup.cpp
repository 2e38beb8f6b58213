#include <cstdint>
#include <string>
#include <string_view>

#include "app/main_form.h"
#include "app/transmit_limit.h"
#include "common/trap.h"
#include "settings/conversions.h"
#include "settings/keys.h"

namespace zelt {

namespace {
// The list position of a stored port comes from the same reading as the port number, so that the
// list shows the port actually opened ("2.5" is COM2 in both).
std::int16_t listPosition(std::string_view stored) {
    const int position = textToInt16(stored) - 1;
    if (position < INT16_MIN) throw Failure(failure_code::kOverflow, "list position beyond 16 bits");
    return static_cast<std::int16_t>(position);
}

// Only exactly "1" raises a line: a radio keyed on DTR or RTS must not transmit by accident.
bool lineHigh(const std::string& stored) {
    return stored == "1";
}
}  // namespace

// Start-up, in its fixed order. A step that fails is skipped and the next one runs, so the program
// always reaches the running state; nothing is shown.
void MainForm::load() noexcept {
    Trap trap;
    trap.step([&] { logStarting(); });
    trap.step([&] { hostLink_.registerMessage(); });
    trap.step([&] { hostLink_.hookWindow(); });

    // Filling lineSettingsBox and portList runs their reactions; they do nothing until loaded_ is set.
    trap.step([&] { lineSettingsBox.setText(readSetting(store_, settings::kLineSettings)); });
    trap.step([&] { fillPortList(); });
    trap.step([&] { portList.setListIndex(listPosition(readSetting(store_, settings::kComPort))); });
    trap.step([&] { radioPort.setCommPort(textToInt16(readSetting(store_, settings::kComPort))); });
    trap.step([&] { radioPort.setSettings(lineSettingsBox.text()); });
    // A failed read leaves both lines as the port holds them until told otherwise: low.
    trap.step([&] {
        const bool dtr = lineHigh(readSetting(store_, settings::kDtr));
        radioPort.setControlLines(dtr, lineHigh(readSetting(store_, settings::kRts)));
    });

    trap.step([&] { runMinimizedBox.setValue(textToInt16(readSetting(store_, settings::kRunMinimized))); });
    trap.stepIf([&] { return runMinimizedBox.value() != 0; }, [&] { window_.setMinimized(); });
    trap.step([&] { onTopBox.setValue(textToInt16(readSetting(store_, settings::kTopmost))); });
    trap.step([&] { applyTopmost(); });

    trap.step([&] { measureFrame(); });
    trap.step([&] { collapse(); });
    trap.step([&] { layClickTargetOverIndicator(); });

    // Optional: nothing stored leaves the transmitter untimed.
    trap.step([&] { transmitLimit_ = transmitLimitFromText(readSetting(store_, settings::kTransmitLimit)); });

    loaded_ = true;
    trap.step([&] { logStart(); });
    trap.step([&] { radioPort.setPortOpen(true); });
}

}  // namespace zelt
