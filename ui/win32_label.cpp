#include "ui/win32_label.h"

namespace zelt::win32 {

void Label::create(const ControlArgs& args) {
    // A caption wider than its label is cut at the right edge rather than wrapped away.
    Control::create(L"STATIC", kChildStyle | SS_LEFTNOWORDWRAP, 0, args);
}

}  // namespace zelt::win32
