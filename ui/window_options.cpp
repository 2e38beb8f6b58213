#include <cstdint>

#include "app/main_form.h"
#include "settings/conversions.h"
#include "settings/keys.h"

namespace zelt {

namespace {
constexpr std::intptr_t kTopmostBand = -1;      // HWND_TOPMOST
constexpr std::intptr_t kOutOfTopmost = -2;     // HWND_NOTOPMOST
constexpr std::uint32_t kKeepPlaceAndSize = 3;  // SWP_NOSIZE | SWP_NOMOVE
}  // namespace

// Only a checked box (1) puts the window on top; unchecked and greyed keep it out.
void MainForm::applyTopmost() {
    window_.setWindowPos(onTopBox.value() == 1 ? kTopmostBand : kOutOfTopmost, kKeepPlaceAndSize);
}

void MainForm::runMinimizedClicked() {
    saveSetting(store_, settings::kRunMinimized, int16ToText(runMinimizedBox.value()));
}

void MainForm::onTopClicked() {
    saveSetting(store_, settings::kTopmost, int16ToText(onTopBox.value()));
    applyTopmost();
}

}  // namespace zelt
