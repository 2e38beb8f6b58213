#include "app/form1.h"

#include "app/cat_commands.h"
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
    Combo1.onChange = [this] { portChange(); };
    Combo1.onClick = [this] { portChange(); };
    Text1.onChange = [this] { settingsChange(); };
    Text1.onLostFocus = [this] { settingsCheck(); };
}

void Form1::ptt(const std::int32_t& request, const std::int32_t& state) {
    if (request == 0) {
        // The block goes out first: the indicator only changes once the radio was told.
        if (state == 0) {
            comport.output(kPttOff.text());
            Shape1.setFillColor(kGreen);
        } else if (state == 1) {
            comport.output(kPttOn.text());
            Shape1.setFillColor(kRed);
        }
    } else if (request == 1) {
        unload();
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
    // Nothing else would ever unkey a radio left transmitting, so tell it once before letting go
    // of the port. A port held closed at this moment is opened for it.
    if (Shape1.fillColor() == kRed) {
        try {
            if (!comport.portOpen()) comport.setPortOpen(true);
            comport.output(kPttOff.text());
        } catch (...) {
            // Best effort: the window is going away whatever the radio does.
        }
    }
    try {
        comport.setPortOpen(false);
    } catch (...) {
        // Nothing more can be done for a port that will not close; the handle dies with us.
    }
}

}  // namespace zelt
