#pragma once

#include <functional>

#include "ui/win32_control.h"

namespace zelt::win32 {

// A check box that does not check itself: a click runs onClick, and the program decides the state
// it shows through setCheck.
class CheckBox : public Control {
  public:
    void create(const ControlArgs& args);
    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    void setCheck(WPARAM state);
    void notified(WORD code) override;

    std::function<void()> onClick;
};

}  // namespace zelt::win32
