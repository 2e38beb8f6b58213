#include "app/main_form.h"

#include <algorithm>

#include "app/cat_commands.h"
#include "app/event_text.h"
#include "common/failure.h"
#include "ui/layout.h"

namespace zelt {

MainForm::MainForm(Platform platform)
    : loggedPort_(platform.radioPort, platform.log),
      loggedStore_(platform.store, platform.log),
      loggedMessages_(platform.messages, platform.log),
      portList({"COM1", "COM2", "COM3", "COM4"}, layout::kPortList, false, "Set COM port for radio"),
      lineSettingsBox("Text1", layout::kLineSettingsBox, false, "Enter baud rate, parity, bits, stop bits"),
      portLabel("Com &Port:", layout::kPortLabel, true),
      settingsLabel("&Settings: (9600,n,8,1)", layout::kSettingsLabel, true),
      runMinimizedBox("Run Mi&nimized", layout::kRunMinimizedBox, false, "Always run minimized"),
      panelButton(layout::kMoreCaption, layout::kPanelButton, true, "Click to set options"),
      onTopBox("&Top", layout::kOnTopBox, true, "Always on top of other windows"),
      indicatorTarget("", layout::kIndicatorTarget, true, "Turns red on TX; Click to toggle TX state"),
      indicator("", layout::kIndicator, true),
      radioPort(loggedPort_),
      store_(loggedStore_),
      window_(platform.window),
      messages_(loggedMessages_),
      hostLink_(platform.hostLink),
      log_(platform.log),
      timer_(platform.timer),
      operatorUi_(platform.operatorUi) {
    setIndicator(kGreen);

    indicatorTarget.onClick = [this] { toggleTransmit("indicator click"); };
    panelButton.onClick = [this] { togglePanel(); };
    runMinimizedBox.onClick = [this] { runMinimizedClicked(); };
    onTopBox.onClick = [this] { onTopClicked(); };
    portList.onClick = [this] { portChange(); };
    lineSettingsBox.onChange = [this] { settingsChange(); };
    lineSettingsBox.onLostFocus = [this] { settingsCheck(); };
}

void MainForm::ptt(std::int32_t request, std::int32_t state) {
    if (request == 0) {
        if (state == 0 || state == 1) transmit(state == 1);
    } else if (request == 1) {
        unload();
    }
}

// The block goes out first: the indicator only changes once the radio was told.
void MainForm::transmit(bool on) {
    if (portHeld_) {
        heldRequest_ = on;
        throw Failure(failure_code::kPortNotOpen, "the port is held closed while a message box is shown");
    }
    // A port that was absent, or whose device went away, gets one open attempt per request.
    if (!windowGone_ && !radioPort.portOpen()) radioPort.setPortOpen(true);
    send(on ? kPttOn : kPttOff);
}

void MainForm::send(const CatCommand& block) {
    if (streamTorn()) realign();
    write(block.text());
}

// Completes the torn block from the PTT-off block, which differs from PTT-on only in its fourth
// byte, then sends a whole PTT-off block: whatever was torn, the radio ends unkeyed.
void MainForm::realign() {
    const std::string off = kPttOff.text();
    const std::string rest = stream_.partial.empty() ? std::string{} : off.substr(stream_.partial.size());
    write(rest + off);
    stream_.torn = false;
}

// One write. Bytes the port took stay on the line even when it took fewer than all, so the stream
// records them; a write that comes back short fails the request.
void MainForm::write(const std::string& bytes) {
    const std::int16_t port = radioPort.commPort();
    if (port != stream_.port) stream_ = Stream{port, {}, false};  // another port is another line
    const std::size_t taken = std::min(radioPort.output(bytes), bytes.size());
    written_.append(bytes, 0, taken);
    recordOnLine(bytes.substr(0, taken));
    if (taken < bytes.size()) {
        // A write that took nothing tore no block; a realignment cut short stays owed regardless.
        if (!stream_.partial.empty()) stream_.torn = true;
        throw Failure(failure_code::kWriteTimeout, "the radio did not take the whole block in time");
    }
}

// The indicator follows the last whole block on the line, never a block only partly sent.
void MainForm::recordOnLine(const std::string& taken) {
    std::optional<std::uint32_t> colour;
    for (const char byte : taken) {
        stream_.partial += byte;
        if (stream_.partial.size() < kPttOff.bytes.size()) continue;
        if (stream_.partial == kPttOn.text()) colour = kRed;
        if (stream_.partial == kPttOff.text()) colour = kGreen;
        stream_.partial.clear();
    }
    if (colour) setIndicator(*colour);
}

void MainForm::setIndicator(std::uint32_t colour) {
    const bool was = transmitting();
    indicator.setFillColor(colour);
    if (transmitting() != was) transmittingChanged(transmitting());
}

bool MainForm::streamTorn() const {
    return stream_.torn && stream_.port == radioPort.commPort();
}

bool MainForm::radioMayBeKeyed() const {
    return indicator.fillColor() == kRed || streamTorn();
}

// Realigning ends in a PTT-off block, so only a radio still shown keyed needs another one.
void MainForm::unkeyRadio() {
    if (streamTorn()) realign();
    if (indicator.fillColor() == kRed) send(kPttOff);
}

// An unkey nobody asked for at this moment (the time limit, letting go of the radio): a port held
// closed is opened for it, and what came of it is logged as what. Returns whether it went out.
bool MainForm::unkeyUnasked(std::string_view what) noexcept {
    written_.clear();
    try {
        if (!radioPort.portOpen()) radioPort.setPortOpen(true);
        unkeyRadio();
        logOutcome(what, nullptr);
        return true;
    } catch (const std::exception& failure) {
        logOutcome(what, &failure);
    } catch (...) {
        logOutcome(what, &unexpectedFailure());
    }
    return false;
}

// Nothing else would ever unkey a radio left transmitting, so it is told once, best effort:
// whatever the radio does, the program is letting go of it.
void MainForm::unkeyBeforeLettingGo(std::string_view occasion) noexcept {
    if (radioMayBeKeyed()) unkeyUnasked(occasion);
}

void MainForm::toggleTransmit(std::string_view source) {
    std::int32_t state = 1;
    if (indicator.fillColor() == kRed) state = 0;
    const std::int32_t request = 0;
    loggedRequest(source, request, state);
}

void MainForm::unload() {
    if (windowGone_) return;
    window_.destroy();
}

void MainForm::windowDestroyed() noexcept {
    if (windowGone_) return;
    windowGone_ = true;
    stopTransmitTimer();
    unkeyBeforeLettingGo("unkey at shut-down");
    try {
        radioPort.setPortOpen(false);
    } catch (...) {
        // Nothing more can be done for a port that will not close; the handle dies with us.
    }
}

void MainForm::sessionEnding() noexcept {
    // A request the settings box held up must not key the radio after this last unkey.
    heldRequest_.reset();
    if (windowGone_) return;
    unkeyBeforeLettingGo("unkey at session end");
}

}  // namespace zelt
