#include <algorithm>
#include <utility>

#include "app/event_text.h"
#include "app/main_form.h"
#include "common/failure.h"

namespace zelt {

namespace {
constexpr int kFewestListed = 4;  // COM1 to COM4 are always listed

void closeIfOpen(Trap& trap, RadioLine& line) {
    trap.stepIf([&] { return line.isOpen(); }, [&] { line.close(); });
}
}  // namespace

void MainForm::portChosen(std::int16_t position) noexcept {
    Trap trap;
    trap.step([&] { choosePort(position); });
    if (trap.failed() || !loaded_) return;
    // Nothing would ever unkey a radio left behind keyed, so it is told on its own port first. The
    // radio on the new port was never keyed; choosing the same port changes nothing on the line.
    const int chosen = chosenPort_ + 1;
    if (chosen > 0 && chosen != line_.portNumber()) {
        line_.letGo("unkey before the move to COM" + std::to_string(chosen));
    }
    closeIfOpen(trap, line_);
    // The list never holds more than 255 entries, so the sum stays far inside 16 bits.
    trap.step([&] { line_.setPortNumber(static_cast<std::int16_t>(chosenPort_ + 1)); });
    // The number stored is the one in force, so a refused choice stores the number in force again.
    trap.step([&] { storeSetting(store_, log_, settings::kComPort, std::to_string(line_.portNumber())); });
    // Opened whatever its state before, so a port that failed to open earlier is tried again. An
    // open can take seconds: a failure before it is shown at once, the open's own when it has failed.
    if (!trap.failed()) {
        line_.open([this] { showMessage("Com port error"); });
        return;
    }
    line_.open();
    showMessage("Com port error");
}

// The text is applied and stored, accepted or not, silently; a selection typed over is an edit too.
void MainForm::lineSettingsEdited(std::string text) noexcept {
    lineSettingsText_ = std::move(text);
    if (!loaded_) return;
    Trap trap;
    closeIfOpen(trap, line_);
    trap.step([&] { line_.setLineSettings(lineSettingsText_); });
    trap.step([&] { storeSetting(store_, log_, settings::kLineSettings, lineSettingsText_); });
    line_.open();
}

// The stored text is applied again, and a refused one said (nothing stored means start-up's valid
// settings). The box holds the port closed; the last request that came meanwhile is carried out
// once the port is open again. A port still opening is left to finish.
void MainForm::lineSettingsLeft() noexcept {
    Trap trap;
    closeIfOpen(trap, line_);
    trap.step([&] { line_.setLineSettings(readSetting(store_, settings::kLineSettings)); });
    if (trap.failed()) {
        trap.step([&] { line_.holdClosedWhile([&] { showMessage("Invalid comport settings"); }); });
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
    portCount_ = std::min<int>(highest, kHighestPort);
    // The entry chosen stays while the list still has it.
    if (chosenPort_ >= portCount_) chosenPort_ = -1;
    window_.showPortList(portCount_, chosenPort_);
}

// A position outside the list fails and changes nothing.
void MainForm::choosePort(std::int16_t position) {
    if (position < -1 || position >= portCount_) {
        throw Failure(failure_code::kInvalidPropertyValue, "no such entry in the list");
    }
    chosenPort_ = position;
    window_.showPortList(portCount_, chosenPort_);
}

void MainForm::showMessage(const std::string& text) noexcept {
    Trap trap;
    trap.step([&] {
        log_.add("message box: " + text);
        window_.showMessage(text);
    });
}

void MainForm::portListOpening() noexcept {
    Trap trap;
    trap.step([&] { fillPortList(); });
}

// Devices and power: the port list follows what is present, the radio's port what became of it.
// Nothing is reported but in the log: nobody asked for it.

void MainForm::portRemoved(std::int16_t number) noexcept {
    portListOpening();
    line_.portRemoved(number);
}

void MainForm::portArrived(std::int16_t number) noexcept {
    portListOpening();
    if (loaded_) line_.portArrived(number);
}

void MainForm::devicesChanged() noexcept {
    portListOpening();
    if (loaded_) line_.devicesChanged();
}

}  // namespace zelt
