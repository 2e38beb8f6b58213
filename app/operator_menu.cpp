#include <string>

#include "app/event_text.h"
#include "app/main_form.h"
#include "app/version.h"
#include "hostlink/host_link.h"
#include "settings/keys.h"
#include "ui/layout.h"

namespace zelt {

void MainForm::menuTransmit() {
    toggleTransmit("menu Transmit");
}

void MainForm::showEventLog() {
    window_.showEventLog();
}

void MainForm::showAbout() {
    std::string text = "zelt ";
    text += kVersion;
    text +=
        "\nKeys and unkeys a Yaesu transceiver's transmitter (PTT) over a serial port.\n"
        "MIT License. Copyright (c) 2026 the zelt developers.\n\n"
        "A host program reaches zelt by registering the window message \"";
    text += kPttMessageName;
    text += "\" and sending it to the window captioned \"";
    text += layout::kCaption;
    text +=
        "\" with wParam 0 (set the state) or 1 (close zelt) and lParam 0 (receive) or 1 "
        "(transmit).";
    log_.add("About zelt shown");
    window_.showAbout(text);
}

// The limit holds for this run even if the store refuses it; the refusal is in the log.
void MainForm::chooseTransmitLimit(std::uint32_t seconds) noexcept {
    limit_.set(seconds);
    try {
        std::string text;
        appendNumber(text, limit_.seconds());
        storeSetting(store_, log_, settings::kTransmitLimit, text);
    } catch (...) {
        // Logged by the store on its way.
    }
}

// As with the limit: the choice holds for this run even if the store refuses it.
void MainForm::chooseSound(bool on) noexcept {
    cues_.setSoundOn(on);
    try {
        storeSetting(store_, log_, settings::kSound, on ? "1" : "0");
    } catch (...) {
        // Logged by the store on its way.
    }
}

// The second copy could not open the port anyway; a host finding it by its caption would have
// talked to the copy without the radio.
void MainForm::secondStartTurnedAway() noexcept {
    log_.add("a second start of zelt was turned away: one zelt per desktop");
}

}  // namespace zelt
