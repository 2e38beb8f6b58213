#pragma once

#include "ui/win32_control.h"

namespace zelt::win32 {

// A static text. Its caption is never cut: when the text needs more room than its place gives, the
// label grows to the right to fit it, keeping its left, top and height.
class Label : public Control {
  public:
    void create(const ControlArgs& args);

  protected:
    void move(const RECT& pixels, int dpi) override;
    void lookChanged() override { placeAgain(); }
};

}  // namespace zelt::win32
