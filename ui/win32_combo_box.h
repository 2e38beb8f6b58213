#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/win32_control.h"

namespace zelt::win32 {

struct ComboBoxArgs : ControlArgs {
    int visibleItems = 8;  // entries the open list shows at once; a longer list scrolls
};

// A drop-down list to pick one entry from. Each choice the operator makes, by pointer or keyboard,
// runs onChoose once with the entry's position; what the program chooses is not reported back.
// onDropDown runs as the list is about to open.
class ComboBox : public Control {
  public:
    void create(const ComboBoxArgs& args);
    // The entries; the list is filled again only when they differ from the ones it holds.
    void setItems(const std::vector<std::string>& items);
    // The entry the program chose (-1 for none): shown, and the one a cancelled pick returns to.
    void setChosen(int index);
    void notified(WORD code) override;

    std::function<void()> onDropDown;
    std::function<void(int)> onChoose;

  protected:
    // The place is the closed field's; the window also holds the room of the open list.
    void move(const RECT& pixels, int dpi) override;

  private:
    int selection() const;
    void showChosen();
    void setFieldHeight(int height);

    // One choice is reported as CBN_SELENDOK and CBN_SELCHANGE, in an order that differs between
    // systems; the first of the pair is kept so that the second is not taken for another choice.
    struct Choice {
        WORD code;
        int index;
    };
    std::optional<Choice> choice_;
    std::vector<std::string> items_;
    int chosen_ = -1;
    int visibleItems_ = 0;
};

}  // namespace zelt::win32
