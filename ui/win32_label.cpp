#include "ui/win32_label.h"

#include <algorithm>

#include "ui/win32_font.h"

namespace zelt::win32 {

void Label::create(const ControlArgs& args) {
    // No word wrap: a caption that does not fit would otherwise lose its end to a second line.
    Control::create(L"STATIC", kChildStyle | SS_LEFTNOWORDWRAP, 0, args);
}

void Label::move(const RECT& pixels, int dpi) {
    RECT fitted = pixels;
    fitted.right = std::max(pixels.right, pixels.left + captionExtent(hwnd()).cx);
    Control::move(fitted, dpi);
}

}  // namespace zelt::win32
