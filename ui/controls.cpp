#include "ui/controls.h"

#include <utility>

#include "common/failure.h"

namespace zelt {

ControlModel::ControlModel(std::string caption, TwipsRect place, bool enabled, std::string tooltip)
    : caption_(std::move(caption)), place_(place), enabled_(enabled), tooltip_(std::move(tooltip)) {}

void ControlModel::setCaption(std::string caption) {
    caption_ = std::move(caption);
    changed();
}

void ControlModel::setPlace(TwipsRect place) {
    place_ = place;
    changed();
}

void ControlModel::setEnabled(bool enabled) {
    enabled_ = enabled;
    changed();
}

void ControlModel::changed() {
    if (onModelChanged) onModelChanged();
}

void ButtonModel::userClick() {
    if (onClick) onClick();
}

void CheckBoxModel::setValue(std::int16_t value) {
    if (value < 0 || value > 2) {
        throw Failure(failure_code::kInvalidPropertyValue, "check box value out of range");
    }
    value_ = value;
    changed();
    if (onClick) onClick();
}

void CheckBoxModel::userClick() {
    setValue(value_ == 0 ? 1 : 0);
}

ComboBoxModel::ComboBoxModel(std::vector<std::string> items, TwipsRect place, bool enabled,
                             std::string tooltip)
    : ControlModel({}, place, enabled, std::move(tooltip)), items_(std::move(items)) {}

void ComboBoxModel::setItems(std::vector<std::string> items) {
    items_ = std::move(items);
    if (listIndex_ >= static_cast<int>(items_.size())) listIndex_ = -1;
    changed();
}

void ComboBoxModel::setListIndex(std::int16_t index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) {
        throw Failure(failure_code::kInvalidPropertyValue, "no such entry in the list");
    }
    listIndex_ = index;
    changed();
    if (onClick) onClick();
}

void ComboBoxModel::userChoose(std::int16_t index) {
    setListIndex(index);
}

void TextBoxModel::setText(std::string text) {
    // Assigning the text it already holds is no change, so no change reaction runs.
    if (text == caption()) return;
    setCaption(std::move(text));
    if (onChange) onChange();
}

void TextBoxModel::userEdit(std::string text) {
    // The box reports every edit, even one that leaves the same text (a selection typed over).
    setCaption(std::move(text));
    if (onChange) onChange();
}

void TextBoxModel::userLeave() {
    if (onLostFocus) onLostFocus();
}

void ShapeModel::setFillColor(std::uint32_t color) {
    fillColor_ = color;
    changed();
}

}  // namespace zelt
