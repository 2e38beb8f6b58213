#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelt {

// A place in twips, from the top-left corner of the window's client area.
struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    bool operator==(const TwipsRect&) const = default;
};

// The state of one control. The core changes it; the Win32 view mirrors it through onModelChanged
// and feeds the operator's input back through the user* calls, which fire the reactions.
class ControlModel {
  public:
    ControlModel(std::string caption, TwipsRect place, bool enabled, std::string tooltip = {});
    virtual ~ControlModel() = default;
    ControlModel(const ControlModel&) = delete;
    ControlModel& operator=(const ControlModel&) = delete;

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    const TwipsRect& place() const { return place_; }
    void setPlace(TwipsRect place);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    const std::string& tooltip() const { return tooltip_; }

    std::function<void()> onModelChanged;  // set by the view

  protected:
    void changed();

  private:
    std::string caption_;
    TwipsRect place_;
    bool enabled_;
    std::string tooltip_;
};

// Push buttons and labels: a click runs onClick.
class ButtonModel : public ControlModel {
  public:
    using ControlModel::ControlModel;
    std::function<void()> onClick;
    void userClick();
};

// Check boxes: 0 unchecked, 1 checked, 2 greyed. Setting the value runs the click reaction, as a
// click by the operator would; a value outside 0 to 2 fails and changes nothing.
class CheckBoxModel : public ControlModel {
  public:
    using ControlModel::ControlModel;
    std::int16_t value() const { return value_; }
    void setValue(std::int16_t value);
    // The operator's click: unchecked becomes checked, anything else unchecked.
    void userClick();
    std::function<void()> onClick;

  private:
    std::int16_t value_ = 0;
};

// The drop-down port list. -1 means no entry is chosen. Choosing an entry (from code or by the
// operator) runs onClick; a position outside the list fails and changes nothing.
class ComboBoxModel : public ControlModel {
  public:
    ComboBoxModel(std::vector<std::string> items, TwipsRect place, bool enabled, std::string tooltip);
    const std::vector<std::string>& items() const { return items_; }
    // New entries, keeping the chosen position while the list still has it. Nothing was chosen by
    // this, so no click reaction runs; only the view is told, so that it fills its list again.
    void setItems(std::vector<std::string> items);
    std::int16_t listIndex() const { return listIndex_; }
    void setListIndex(std::int16_t index);
    void userChoose(std::int16_t index);
    std::function<void()> onClick;

  private:
    std::vector<std::string> items_;
    std::int16_t listIndex_ = -1;
};

// The single-line text box. Every change of its text, from code or typed, runs onChange once.
class TextBoxModel : public ControlModel {
  public:
    using ControlModel::ControlModel;
    const std::string& text() const { return caption(); }
    void setText(std::string text);
    void userEdit(std::string text);
    void userLeave();
    std::function<void()> onChange;
    std::function<void()> onLostFocus;
};

// The transmit indicator: a filled circle; the fill colour is the only record of the state.
class ShapeModel : public ControlModel {
  public:
    using ControlModel::ControlModel;
    std::uint32_t fillColor() const { return fillColor_; }
    void setFillColor(std::uint32_t color);

  private:
    std::uint32_t fillColor_ = 0;
};

inline constexpr std::uint32_t kGreen = 0x0000FF00;  // receive
inline constexpr std::uint32_t kRed = 0x000000FF;    // transmit

}  // namespace zelt
