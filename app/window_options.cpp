#include "app/main_form.h"
#include "settings/conversions.h"
#include "settings/keys.h"

namespace zelt {

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
