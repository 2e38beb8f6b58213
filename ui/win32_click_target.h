#pragma once

#include <windows.h>

#include <functional>

#include "ui/win32_control.h"

namespace zelt::win32 {

// An invisible label that takes the clicks over whatever lies beneath it: it paints nothing, not
// even its background, and tells its parent of a click with WM_COMMAND (its id, STN_CLICKED), as a
// notifying static does. It needs no transparent style for that: lying above its sibling in
// z-order, it is the one hit, while the sibling's own painting stays visible through it.
inline constexpr wchar_t kClickTargetClass[] = L"ZeltClickTarget";

void registerClickTargetClass(HINSTANCE instance);

// The click target on a form: a click runs onClick.
class ClickTarget : public Control {
  public:
    void create(const ControlArgs& args) { Control::create(kClickTargetClass, kChildStyle, 0, args); }
    void notified(WORD code) override {
        if (code == STN_CLICKED && !writing() && onClick) onClick();
    }

    std::function<void()> onClick;
};

}  // namespace zelt::win32
