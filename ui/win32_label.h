#pragma once

#include "ui/win32_control.h"

namespace zelt::win32 {

// A static text.
class Label : public Control {
  public:
    void create(const ControlArgs& args);
};

}  // namespace zelt::win32
