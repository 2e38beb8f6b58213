#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "ui/win32_control.h"

namespace zelt::win32 {

// The transmit indicator: a solid circle, as wide as the smaller side of its box and centred in it,
// filled with its colour (0x00BBGGRR) and outlined by a one-pixel pen of the system's window-text
// colour.
inline constexpr wchar_t kIndicatorClass[] = L"ZeltIndicator";

void registerIndicatorClass(HINSTANCE instance);
// Returns whether the colour changed.
bool setIndicatorColor(HWND indicator, std::uint32_t color);
std::uint32_t indicatorColor(HWND indicator);

// The circle's box inside a client area of the given size.
RECT indicatorCircle(int width, int height);

// The indicator on a form. It takes no focus; a click target over it takes the clicks.
class Indicator : public Control {
  public:
    void create(const ControlArgs& args) { Control::create(kIndicatorClass, kChildStyle, 0, args); }
    // onColorChanged runs when the colour is another than before.
    void setColor(std::uint32_t color) {
        if (setIndicatorColor(hwnd(), color) && onColorChanged) onColorChanged();
    }
    std::uint32_t color() const { return indicatorColor(hwnd()); }

    std::function<void()> onColorChanged;
};

}  // namespace zelt::win32
