#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/main_form.h"
#include "common/trap.h"
#include "settings/conversions.h"
#include "settings/keys.h"

namespace zelt {

namespace {
constexpr int kFewestListed = 4;  // COM1 to COM4 are always listed
constexpr int kHighestPort = 255;

void closeIfOpen(Trap& trap, SerialPort& port) {
    trap.stepIf([&] { return port.portOpen(); }, [&] { port.setPortOpen(false); });
}
}  // namespace

// The operator picked an entry in the port list: move the radio to that port and store its number.
void MainForm::portChange() noexcept {
    if (!loaded_) return;
    Trap trap;
    trap.step([&] { unkeyRadioLeftBehind(); });
    closeIfOpen(trap, radioPort);
    // The list never holds more than 255 entries, so the sum stays far inside 16 bits.
    trap.step([&] { radioPort.setCommPort(static_cast<std::int16_t>(portList.listIndex() + 1)); });
    // The number stored is the one the port holds, so a refused choice stores the number in force.
    trap.step([&] { saveSetting(store_, settings::kComPort, int16ToText(radioPort.commPort())); });
    // Opened whatever its state before, so a port that failed to open earlier is tried again.
    trap.step([&] { radioPort.setPortOpen(true); });
    if (trap.failed()) trap.step([&] { messages_.show("Com port error"); });
}

// Moving to another port while the radio may be keyed: nothing would ever unkey the radio left
// behind, so it is told on its own port before that port is closed. The radio on the new port was
// never keyed, and the PTT-off block turns the indicator green. Choosing the same port changes
// nothing on the line.
void MainForm::unkeyRadioLeftBehind() {
    if (!radioMayBeKeyed()) return;
    const int chosen = portList.listIndex() + 1;
    if (chosen <= 0 || chosen == radioPort.commPort()) return;
    if (!radioPort.portOpen()) radioPort.setPortOpen(true);
    unkeyRadio();
}

// COM1 up to the highest port present or in force, without gaps, so that a list position + 1 is
// always the port number.
void MainForm::fillPortList() {
    int highest = std::max<int>(kFewestListed, radioPort.commPort());
    for (const std::int16_t number : radioPort.presentPorts()) highest = std::max<int>(highest, number);
    std::vector<std::string> items;
    for (int number = 1; number <= std::min(highest, kHighestPort); ++number) {
        items.push_back("COM" + std::to_string(number));
    }
    portList.setItems(std::move(items));
}

void MainForm::refreshPortList() noexcept {
    Trap trap;
    trap.step([&] { fillPortList(); });
}

// A port that was absent or went away may be back. Nothing is reported: nobody asked for it.
void MainForm::portsChanged() noexcept {
    refreshPortList();
    if (!loaded_ || windowGone_ || portHeld_) return;
    Trap trap;
    trap.stepIf([&] { return !radioPort.portOpen(); }, [&] { radioPort.setPortOpen(true); });
}

// After sleep the device behind the handle may be gone without a write having told us; closing
// lets the next request open it afresh. A port held closed by a message box is left to the box.
void MainForm::resumed() noexcept {
    if (portHeld_) return;
    Trap trap;
    trap.step([&] { radioPort.setPortOpen(false); });
}

// Every edit of the settings box: apply and store the text, accepted or not, silently.
void MainForm::settingsChange() noexcept {
    if (!loaded_) return;
    Trap trap;
    closeIfOpen(trap, radioPort);
    trap.step([&] { radioPort.setSettings(lineSettingsBox.text()); });
    trap.step([&] { saveSetting(store_, settings::kLineSettings, lineSettingsBox.text()); });
    trap.step([&] { radioPort.setPortOpen(true); });
}

// Leaving the settings box: apply the stored text again and say so when it is refused. Nothing
// stored yet means the settings start-up uses, which are valid.
void MainForm::settingsCheck() noexcept {
    Trap trap;
    closeIfOpen(trap, radioPort);
    trap.step([&] { radioPort.setSettings(readSetting(store_, settings::kLineSettings)); });
    if (trap.failed()) trap.step([&] { showHoldingThePort("Invalid comport settings"); });
    // A close request may have come while the box was open; the port then stays released.
    if (windowGone_) return;
    trap.stepIf([&] { return !radioPort.portOpen(); }, [&] { radioPort.setPortOpen(true); });
    trap.step([&] { carryOutHeldRequest(); });
}

// Nothing is written while the box is up, so a host's unkey that comes meanwhile is not lost.
void MainForm::showHoldingThePort(const std::string& text) {
    struct Release {
        bool& held;
        bool before;
        ~Release() { held = before; }
    } release{portHeld_, std::exchange(portHeld_, true)};
    messages_.show(text);
}

// The request the box held up goes out (bytes, then colour) once the port is open again. A port
// that did not reopen drops it: the host was told it failed, and it must not key the radio later.
void MainForm::carryOutHeldRequest() {
    const std::optional<bool> held = std::exchange(heldRequest_, std::nullopt);
    if (held && radioPort.portOpen()) transmit(*held);
}

}  // namespace zelt
