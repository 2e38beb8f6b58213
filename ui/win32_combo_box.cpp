#include "ui/win32_combo_box.h"

#include <commctrl.h>

#include <algorithm>

#include "common/win32_text.h"
#include "ui/win32_dpi.h"

namespace zelt::win32 {
namespace {

// The open list's own border, a pixel above and below its entries.
constexpr int kListBorderPixels = 2;
// The field's height is corrected this many times at most: one step is enough where the system
// reports the selection height it was given, one more where it rounds it.
constexpr int kFieldHeightAttempts = 3;
// CB_GETITEMHEIGHT and CB_SETITEMHEIGHT address the selection field rather than the list's entries.
constexpr auto kSelectionField = static_cast<WPARAM>(-1);

}  // namespace

void ComboBox::create(const ComboBoxArgs& args) {
    Control::create(L"COMBOBOX", kChildStyle | kTabStopStyle | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS,
                    0, args);
    visibleItems_ = args.visibleItems;
    if (hwnd() != nullptr) SendMessageW(hwnd(), CB_SETMINVISIBLE, static_cast<WPARAM>(visibleItems_), 0);
}

void ComboBox::setItems(const std::vector<std::string>& items) {
    if (hwnd() == nullptr || items == items_) return;
    {
        const Writing writing(*this);
        SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0);
        for (const std::string& item : items) {
            SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toUtf16(item).c_str()));
        }
    }
    items_ = items;
    placeAgain();  // the open list's room depends on the number of entries
}

void ComboBox::setChosen(int index) {
    chosen_ = index;
    showChosen();
}

void ComboBox::showChosen() {
    if (hwnd() == nullptr || selection() == chosen_) return;
    const Writing writing(*this);
    SendMessageW(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(chosen_), 0);
}

int ComboBox::selection() const {
    return static_cast<int>(SendMessageW(hwnd(), CB_GETCURSEL, 0, 0));
}

void ComboBox::notified(WORD code) {
    if (writing()) return;
    if (code == CBN_DROPDOWN) {
        choice_.reset();  // a new choice begins
        if (onDropDown) onDropDown();
        return;
    }
    if (code == CBN_SELENDCANCEL) {
        // Moving through the open list and then cancelling chooses nothing.
        choice_.reset();
        showChosen();
        return;
    }
    if (code != CBN_SELCHANGE && code != CBN_SELENDOK) return;
    // While the list is open the selection only follows the pointer or the arrows.
    if (code == CBN_SELCHANGE && SendMessageW(hwnd(), CB_GETDROPPEDSTATE, 0, 0) != 0) return;

    const int index = selection();
    if (choice_ && choice_->code != code && choice_->index == index) {
        choice_.reset();  // the other half of a choice already made
        return;
    }
    // A selection change that only catches up with the program's choice is no choice; picking the
    // shown entry again (CBN_SELENDOK alone) is one.
    if (code == CBN_SELCHANGE && index == chosen_) return;
    choice_ = Choice{code, index};
    if (index >= 0 && onChoose) onChoose(index);
}

void ComboBox::move(const RECT& pixels, int dpi) {
    const int fieldHeight = pixels.bottom - pixels.top;
    const auto count = static_cast<int>(SendMessageW(hwnd(), CB_GETCOUNT, 0, 0));
    const auto itemHeight = static_cast<int>(SendMessageW(hwnd(), CB_GETITEMHEIGHT, 0, 0));
    const int shownItems = std::clamp(count, 1, visibleItems_);
    const int listRoom = shownItems * (itemHeight > 0 ? itemHeight : fieldHeight) +
                         2 * systemMetric(SM_CYEDGE, dpi) + kListBorderPixels;
    MoveWindow(hwnd(), pixels.left, pixels.top, pixels.right - pixels.left, fieldHeight + listRoom, TRUE);
    setFieldHeight(fieldHeight);
}

// The field's height follows the selection height by a fixed amount, but systems differ in what
// CB_GETITEMHEIGHT reports back, so the height asked for is tracked, not read back.
void ComboBox::setFieldHeight(int height) {
    auto asked = static_cast<int>(SendMessageW(hwnd(), CB_GETITEMHEIGHT, kSelectionField, 0));
    for (int attempt = 0; attempt < kFieldHeightAttempts; ++attempt) {
        RECT field{};
        GetWindowRect(hwnd(), &field);
        const int difference = height - (field.bottom - field.top);
        if (difference == 0 || asked + difference <= 0) break;
        asked += difference;
        SendMessageW(hwnd(), CB_SETITEMHEIGHT, kSelectionField, asked);
    }
}

}  // namespace zelt::win32
