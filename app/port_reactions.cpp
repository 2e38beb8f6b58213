#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/event_text.h"
#include "app/main_form.h"
#include "common/trap.h"
#include "settings/conversions.h"
#include "settings/keys.h"

namespace zelt {

namespace {
constexpr int kFewestListed = 4;  // COM1 to COM4 are always listed

void closeIfOpen(Trap& trap, RadioLine& line) {
    trap.stepIf([&] { return line.isOpen(); }, [&] { line.close(); });
}
}  // namespace

// The operator picked an entry in the port list: move the radio to that port and store its number.
void MainForm::portChange() noexcept {
    if (!loaded_) return;
    // Nothing would ever unkey a radio left behind keyed, so it is told on its own port first. The
    // radio on the new port was never keyed; choosing the same port changes nothing on the line.
    const int chosen = portList.listIndex() + 1;
    if (chosen > 0 && chosen != line_.portNumber()) {
        std::string occasion = "unkey before the move to COM";
        appendNumber(occasion, chosen);
        line_.letGo(occasion);
    }
    Trap trap;
    closeIfOpen(trap, line_);
    // The list never holds more than 255 entries, so the sum stays far inside 16 bits.
    trap.step([&] { line_.setPortNumber(static_cast<std::int16_t>(portList.listIndex() + 1)); });
    // The number stored is the one in force, so a refused choice stores the number in force again.
    trap.step([&] { saveSetting(store_, settings::kComPort, int16ToText(line_.portNumber())); });
    // Opened whatever its state before, so a port that failed to open earlier is tried again. An
    // open can take seconds: a failure before it is shown at once, the open's own when it has failed.
    if (!trap.failed()) {
        line_.open([this] { portError(); });
        return;
    }
    line_.open();
    trap.step([&] { messages_.show("Com port error"); });
}

// The port change's open failed, after the change itself returned.
void MainForm::portError() noexcept {
    Trap trap;
    trap.step([&] { messages_.show("Com port error"); });
}

// Every edit of the settings box: apply and store the text, accepted or not, silently.
void MainForm::settingsChange() noexcept {
    if (!loaded_) return;
    Trap trap;
    closeIfOpen(trap, line_);
    trap.step([&] { line_.setLineSettings(lineSettingsBox.text()); });
    trap.step([&] { saveSetting(store_, settings::kLineSettings, lineSettingsBox.text()); });
    line_.open();
}

// Leaving the settings box: apply the stored text again and say so when it is refused. Nothing
// stored yet means the settings start-up uses, which are valid. The box holds the port closed;
// the last request that came meanwhile is carried out once the port is open again. A port still
// opening is left to finish.
void MainForm::settingsCheck() noexcept {
    Trap trap;
    closeIfOpen(trap, line_);
    trap.step([&] { line_.setLineSettings(readSetting(store_, settings::kLineSettings)); });
    if (trap.failed()) {
        trap.step([&] { line_.holdClosedWhile([&] { messages_.show("Invalid comport settings"); }); });
    }
    // A close request may have come while the box was open; the port then stays released.
    if (line_.released()) return;
    trap.stepIf([&] { return !line_.isOpen() && !line_.isOpening(); }, [&] { line_.open(); });
    line_.carryOutHeldRequest();
}

// COM1 up to the highest port present or in force, without gaps, so that a list position + 1 is
// always the port number.
void MainForm::fillPortList() {
    int highest = std::max<int>(kFewestListed, line_.portNumber());
    for (const std::int16_t number : line_.presentPorts()) highest = std::max<int>(highest, number);
    std::vector<std::string> items;
    for (int number = 1; number <= std::min<int>(highest, kHighestPort); ++number) {
        items.push_back("COM" + std::to_string(number));
    }
    portList.setItems(std::move(items));
}

void MainForm::refreshPortList() noexcept {
    Trap trap;
    trap.step([&] { fillPortList(); });
}

// Devices and power: the port list follows what is present, the radio's port what became of it.
// Nothing is reported but in the log: nobody asked for it.

void MainForm::portRemoved(std::int16_t number) noexcept {
    refreshPortList();
    line_.portRemoved(number);
}

void MainForm::portArrived(std::int16_t number) noexcept {
    refreshPortList();
    if (loaded_) line_.portArrived(number);
}

void MainForm::devicesChanged() noexcept {
    refreshPortList();
    if (loaded_) line_.devicesChanged();
}

void MainForm::suspending() noexcept {
    line_.suspending(RadioLine::kSleepWaitMs);
}

void MainForm::resumed(bool byUser) noexcept {
    if (loaded_) line_.resumed(byUser);
}

}  // namespace zelt
