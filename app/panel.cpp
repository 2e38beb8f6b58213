#include "app/main_form.h"
#include "common/trap.h"
#include "settings/conversions.h"
#include "settings/keys.h"
#include "ui/layout.h"

namespace zelt {

void MainForm::measureFrame() {
    const float client = window_.clientWidth();
    const float outer = window_.outerWidth();
    frameWidth_ = outer - client;
}

void MainForm::windowRescaled() noexcept {
    Trap trap;
    trap.step([&] { measureFrame(); });
}

void MainForm::collapse() {
    window_.setOuterWidth(layout::collapsedOuterWidth(panelButton.place(), frameWidth_));
}

void MainForm::layClickTargetOverIndicator() {
    TwipsRect place = indicatorTarget.place();
    place.left = indicator.place().left;
    place.top = indicator.place().top;
    place.width = indicator.place().width;
    place.height = indicator.place().height;
    indicatorTarget.setPlace(place);
}

// The caption is the panel's state: "&More>>" collapsed, anything else expanded.
void MainForm::togglePanel() {
    const bool expand = panelButton.caption() == layout::kMoreCaption;
    panelButton.setCaption(expand ? layout::kLessCaption : layout::kMoreCaption);
    portList.setEnabled(expand);
    lineSettingsBox.setEnabled(expand);
    runMinimizedBox.setEnabled(expand);
    onTopBox.setEnabled(expand);
    window_.setOuterWidth(expand ? layout::expandedOuterWidth(lineSettingsBox.place(), frameWidth_)
                                 : layout::collapsedOuterWidth(panelButton.place(), frameWidth_));
}

// The window options, two check boxes of the panel: stored the moment they are clicked.

// Only a checked box (1) puts the window on top; unchecked and greyed keep it out.
void MainForm::applyTopmost() {
    window_.setOnTop(onTopBox.value() == 1);
}

void MainForm::runMinimizedClicked() {
    saveSetting(store_, settings::kRunMinimized, int16ToText(runMinimizedBox.value()));
}

void MainForm::onTopClicked() {
    saveSetting(store_, settings::kTopmost, int16ToText(onTopBox.value()));
    applyTopmost();
}

}  // namespace zelt
