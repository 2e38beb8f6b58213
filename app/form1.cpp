#include "app/form1.h"

#include <algorithm>

#include "app/cat_commands.h"
#include "common/failure.h"
#include "ui/layout.h"

namespace zelt {

Form1::Form1(Platform platform)
    : Combo1({"COM1", "COM2", "COM3", "COM4"}, layout::kCombo1, false, "Set COM port for radio"),
      Text1("Text1", layout::kText1, false, "Enter baud rate, parity, bits, stop bits"),
      Label1("Com &Port:", layout::kLabel1, true),
      Label2("&Settings: (9600,n,8,1)", layout::kLabel2, true),
      Check1("Run Mi&nimized", layout::kCheck1, false, "Always run minimized"),
      Command1(layout::kMoreCaption, layout::kCommand1, true, "Click to set options"),
      Check2("&Top", layout::kCheck2, true, "Always on top of other windows"),
      Label3("", layout::kLabel3, true, "Turns red on TX; Click to toggle TX state"),
      Shape1("", layout::kShape1, true),
      comport(platform.comport),
      store_(platform.store),
      window_(platform.window),
      messages_(platform.messages),
      wndProcs_(platform.wndProcs) {
    Shape1.setFillColor(kGreen);

    Label3.onClick = [this] { label3Click(); };
    Command1.onClick = [this] { command1Click(); };
    Check1.onClick = [this] { check1Click(); };
    Check2.onClick = [this] { check2Click(); };
    Combo1.onClick = [this] { portChange(); };
    Text1.onChange = [this] { settingsChange(); };
    Text1.onLostFocus = [this] { settingsCheck(); };
}

void Form1::ptt(const std::int32_t& request, const std::int32_t& state) {
    if (request == 0) {
        if (state == 0 || state == 1) transmit(state == 1);
    } else if (request == 1) {
        unload();
    }
}

// The block goes out first: the indicator only changes once the radio was told.
void Form1::transmit(bool on) {
    if (portHeld_) {
        heldRequest_ = on;
        throw Failure(failure_code::kPortNotOpen, "the port is held closed while a message box is shown");
    }
    // A port that was absent, or whose device went away, gets one open attempt per request.
    if (!windowGone_ && !comport.portOpen()) comport.setPortOpen(true);
    send(on ? kPttOn : kPttOff);
}

void Form1::send(const CatCommand& block) {
    if (streamTorn()) realign();
    write(block.text());
}

// Completes the torn block from the PTT-off block, which differs from PTT-on only in its fourth
// byte, then sends a whole PTT-off block: whatever was torn, the radio ends unkeyed.
void Form1::realign() {
    const std::string off = kPttOff.text();
    const std::string rest = stream_.partial.empty() ? std::string{} : off.substr(stream_.partial.size());
    write(rest + off);
    stream_.torn = false;
}

// One write. Bytes the port took stay on the line even when it took fewer than all, so the stream
// records them; a write that comes back short fails the request.
void Form1::write(const std::string& bytes) {
    const std::int16_t port = comport.commPort();
    if (port != stream_.port) stream_ = Stream{port, {}, false};  // another port is another line
    const std::size_t taken = std::min(comport.output(bytes), bytes.size());
    recordOnLine(bytes.substr(0, taken));
    if (taken < bytes.size()) {
        // A write that took nothing tore no block; a realignment cut short stays owed regardless.
        if (!stream_.partial.empty()) stream_.torn = true;
        throw Failure(failure_code::kWriteTimeout, "the radio did not take the whole block in time");
    }
}

// The indicator follows the last whole block on the line, never a block only partly sent.
void Form1::recordOnLine(const std::string& taken) {
    std::optional<std::uint32_t> colour;
    for (const char byte : taken) {
        stream_.partial += byte;
        if (stream_.partial.size() < kPttOff.bytes.size()) continue;
        if (stream_.partial == kPttOn.text()) colour = kRed;
        if (stream_.partial == kPttOff.text()) colour = kGreen;
        stream_.partial.clear();
    }
    if (colour) Shape1.setFillColor(*colour);
}

bool Form1::streamTorn() const {
    return stream_.torn && stream_.port == comport.commPort();
}

bool Form1::radioMayBeKeyed() const {
    return Shape1.fillColor() == kRed || streamTorn();
}

// Realigning ends in a PTT-off block, so only a radio still shown keyed needs another one.
void Form1::unkeyRadio() {
    if (streamTorn()) realign();
    if (Shape1.fillColor() == kRed) send(kPttOff);
}

// Nothing else would ever unkey a radio left transmitting, so it is told once, best effort. A port
// held closed at this moment is opened for it.
void Form1::unkeyBeforeLettingGo() noexcept {
    try {
        if (!radioMayBeKeyed()) return;
        if (!comport.portOpen()) comport.setPortOpen(true);
        unkeyRadio();
    } catch (...) {
        // Best effort: whatever the radio does, the program is letting go of it.
    }
}

void Form1::label3Click() {
    std::int32_t state = 1;
    if (Shape1.fillColor() == kRed) state = 0;
    const std::int32_t request = 0;
    ptt(request, state);
}

void Form1::unload() {
    if (windowGone_) return;
    window_.destroy();
}

void Form1::windowDestroyed() noexcept {
    if (windowGone_) return;
    windowGone_ = true;
    unkeyBeforeLettingGo();
    try {
        comport.setPortOpen(false);
    } catch (...) {
        // Nothing more can be done for a port that will not close; the handle dies with us.
    }
}

void Form1::sessionEnding() noexcept {
    // A request the settings box held up must not key the radio after this last unkey.
    heldRequest_.reset();
    if (windowGone_) return;
    unkeyBeforeLettingGo();
}

}  // namespace zelt
