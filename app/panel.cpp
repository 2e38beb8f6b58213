#include "app/event_text.h"
#include "app/main_form.h"
#include "common/failure.h"
#include "common/trap.h"
#include "settings/conversions.h"
#include "settings/keys.h"
#include "ui/layout.h"

// The options panel and the window options: the panel's toggle, the two check boxes, the frame.

namespace zelt {

void MainForm::measureFrame() {
    frameWidth_ = window_.frameWidth();
}

void MainForm::windowRescaled() noexcept {
    Trap trap;
    trap.step([&] { measureFrame(); });
}

void MainForm::panelButtonClicked() {
    panelOpen_ = !panelOpen_;
    window_.showPanel(panelOpen_);
    window_.setOuterWidth(panelOpen_ ? layout::expandedOuterWidth(layout::kLineSettingsBox, frameWidth_)
                                     : layout::collapsedOuterWidth(layout::kPanelButton, frameWidth_));
}

// A value a check box cannot hold fails and changes nothing.
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
    storeSetting(store_, log_, key, int16ToText(check(box)));
}

// Only a checked box (1) puts the window on top; unchecked and greyed keep it out.
void MainForm::applyTopmost() {
    window_.setOnTop(onTop_ == 1);
}

}  // namespace zelt
