#include "app/main_form.h"

#include <exception>

#include "app/event_text.h"
#include "common/failure.h"
#include "hostlink/host_messages.h"

namespace zelt {

MainForm::MainForm(Platform platform)
    : store_(platform.store),
      window_(platform.window),
      log_(platform.log),
      line_(platform.radioPort, platform.log),
      limit_(line_, platform.window, platform.log),
      cues_(platform.window, platform.log) {
    line_.onStateChanged = [this](RadioLine::State before, RadioLine::State now) {
        radioStateChanged(before, now);
    };
}

// The indicator shows what the radio was last told: red while it is, or may still be, keyed (a
// change between the two shows nothing new). The time limit counts the same keying; the cues tell of
// it wherever the operator is. Every change passes here, whoever made it; the line is its one record.
void MainForm::radioStateChanged(RadioLine::State before, RadioLine::State now) noexcept {
    const bool red = now != RadioLine::State::Receiving;
    if (red == (before != RadioLine::State::Receiving)) return;
    window_.showTransmitting();
    limit_.follow(red);
    cues_.follow(red);
}

void MainForm::ptt(std::int32_t request, std::int32_t state) {
    if (request == 0) {
        if (state == 0 || state == 1) line_.request(state == 1);
    } else if (request == 1) {
        unload();
    }
}

// The unkey goes out before any window is destroyed: taking the windows down can take seconds.
void MainForm::unload() {
    if (line_.released()) return;
    line_.letGo("unkey at shut-down");
    window_.close();
}

void MainForm::hostRequest(std::int32_t request, std::int32_t state) {
    if (request == 0 && state == 0) limit_.release();
    if (request == 0 && state == 1 && limit_.refusesHostKey()) {
        const Failure refused(failure_code::kRefused, std::string(limit_.holdCause().refusal));
        logOutcome(log_, eventText_, "host: request 0, state 1", {}, &refused);
        throw refused;
    }
    loggedRequest("host", request, state);
}

// The operator's own toggle ends a hold of the time limit: the operator is at the microphone.
void MainForm::toggleTransmit(std::string_view source) {
    limit_.release();
    loggedRequest(source, 0, transmitting() ? 0 : 1);
}

// "host: request 0, state 1: wrote 00 00 00 01 0F". A close request is logged before it is carried
// out, so that it comes before what the closing does.
void MainForm::loggedRequest(std::string_view source, std::int32_t request, std::int32_t state) {
    requestText_.assign(source).append(": request ");
    appendNumber(requestText_, request);
    requestText_ += ", state ";
    appendNumber(requestText_, state);
    const bool writes = request == 0 && (state == 0 || state == 1);
    if (!writes) {
        requestText_ += request == 1 ? ": closing" : ": ignored";
        log_.add(requestText_);
        ptt(request, state);
        return;
    }
    try {
        ptt(request, state);
    } catch (...) {
        logOutcome(log_, eventText_, requestText_, line_.written(), &currentFailure());
        throw;
    }
    logOutcome(log_, eventText_, requestText_, line_.written(), nullptr);
}

// The operator's own emergency unkey, from whatever program is in front: the line lets go as for
// every unkey nobody asked for, and the host is held off as after the time limit, so that a host
// that keeps keying cannot undo it. A press while receiving still drops a held-up key request.
void MainForm::unkeyByHotkey() noexcept {
    limit_.hold(kHotkeyHold);
    const bool keyed = transmitting();
    line_.letGo("unkeyed by the hotkey");
    if (!keyed) log_.add("unkeyed by the hotkey: the radio was receiving");
}

void MainForm::windowRescaled() noexcept {
    Trap trap;
    trap.step([&] { frameWidth_ = window_.frameWidth(); });
}

void MainForm::panelButtonClicked() {
    panelOpen_ = !panelOpen_;
    window_.showPanel(panelOpen_);
    window_.setOuterWidth(panelOpen_ ? layout::expandedOuterWidth(layout::kLineSettingsBox, frameWidth_)
                                     : layout::collapsedOuterWidth(layout::kPanelButton, frameWidth_));
}

void MainForm::setCheck(CheckBox box, std::int16_t value) {
    if (value < 0 || value > 2) {
        throw Failure(failure_code::kInvalidPropertyValue, "check box value out of range");
    }
    (box == CheckBox::OnTop ? onTop_ : runMinimized_) = value;
    window_.showCheck(box, value);
}

// The window options are stored the moment they are clicked; "Top" is in force at once, once
// stored, and "Run Minimized" from the next start.
void MainForm::checkBoxClicked(CheckBox box) noexcept {
    Trap trap;
    trap.step([&] {
        setCheck(box, check(box) == 0 ? 1 : 0);
        storeCheck(box);
        if (box == CheckBox::OnTop) applyTopmost();
    });
}

void MainForm::storeCheck(CheckBox box) {
    const SettingKey& key = box == CheckBox::OnTop ? settings::kTopmost : settings::kRunMinimized;
    storeSetting(store_, log_, key, std::to_string(check(box)));
}

void MainForm::showAbout() {
    const std::string text = std::string("zelt ").append(kVersion) +
                             "\nKeys and unkeys a Yaesu transceiver's transmitter (PTT) over a serial port.\n"
                             "MIT License. Copyright (c) 2026 the zelt developers.\n\n"
                             "A host program reaches zelt by registering the window message \"" +
                             kPttMessageName + "\" and sending it to the window captioned \"" +
                             layout::kCaption +
                             "\" with wParam 0 (set the state) or 1 (close zelt) and lParam 0 (receive) or 1 "
                             "(transmit).";
    log_.add("About zelt shown");
    window_.showAbout(text);
}

void MainForm::chooseTransmitLimit(std::uint32_t seconds) noexcept {
    limit_.set(seconds);
    storeChoice(store_, log_, settings::kTransmitLimit, limit_.seconds());
}

void MainForm::chooseSound(bool on) noexcept {
    cues_.setSoundOn(on);
    storeChoice(store_, log_, settings::kSound, on ? 1 : 0);
}

}  // namespace zelt
