#include <cstdint>

#include "app/form1.h"
#include "settings/conversions.h"
#include "settings/keys.h"

namespace zelt {

namespace {
constexpr std::intptr_t kTopmostBand = -1;      // HWND_TOPMOST
constexpr std::intptr_t kOutOfTopmost = -2;     // HWND_NOTOPMOST
constexpr std::uint32_t kKeepPlaceAndSize = 3;  // SWP_NOSIZE | SWP_NOMOVE
}  // namespace

// Only a checked box (1) puts the window on top; unchecked and greyed keep it out.
void Form1::applyTopmost() {
    window_.setWindowPos(Check2.value() == 1 ? kTopmostBand : kOutOfTopmost, kKeepPlaceAndSize);
}

void Form1::check1Click() {
    saveSetting(store_, settings::kRunMinimized, int16ToText(Check1.value()));
}

void Form1::check2Click() {
    saveSetting(store_, settings::kTopmost, int16ToText(Check2.value()));
    applyTopmost();
}

}  // namespace zelt
