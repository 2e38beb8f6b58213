#pragma once

#include <functional>

#include "ui/win32_control.h"

namespace zelt::win32 {

// A push button: a click, by pointer, Space, its access key or Enter, runs onClick.
class PushButton : public Control {
  public:
    void create(const ControlArgs& args);
    void notified(WORD code) override;

    std::function<void()> onClick;
};

}  // namespace zelt::win32
