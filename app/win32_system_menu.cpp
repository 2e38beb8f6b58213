// The main window's system menu extras, and the "Unkey hotkey..." dialog that one of them opens.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/main_form.h"
#include "app/transmit_limit.h"
#include "app/unkey_hotkey.h"
#include "app/win32_main_window.h"
#include "app/window.h"
#include "common/win32_text.h"
#include "resources/resource_ids.h"

namespace zelt::win32 {
namespace {

using system_menu::kLimitChoices;

// Item ids below 0xF000, their low four bits clear: the system keeps those of a system command for itself.
constexpr UINT kTransmit = 0x1010;
constexpr UINT kEventLog = 0x1020;
constexpr UINT kAbout = 0x1030;
constexpr UINT kSound = 0x1040;
constexpr UINT kUnkeyHotkey = 0x1050;
constexpr UINT kFirstLimit = 0x1100;  // the limit choices follow, kLimitStep apart
constexpr UINT kLimitStep = 0x10;
constexpr UINT kCommandMask = 0xFFF0;

UINT limitId(std::size_t index) {
    return kFirstLimit + static_cast<UINT>(index) * kLimitStep;
}

void append(HMENU menu, UINT flags, UINT_PTR id, std::string_view text) {
    AppendMenuW(menu, flags, id, toUtf16(text).c_str());
}

// The choice in force carries the check mark; a stored limit that is none of the choices gets an
// entry of its own below them, checked, for as long as it is in force.
void showLimits(HMENU limits, std::uint32_t limit) {
    std::size_t chosen = kLimitChoices.size();
    for (std::size_t i = 0; i < kLimitChoices.size(); ++i) {
        if (kLimitChoices[i].seconds == limit) chosen = i;
    }
    const UINT other = limitId(kLimitChoices.size());
    DeleteMenu(limits, other, MF_BYCOMMAND);
    if (chosen == kLimitChoices.size()) append(limits, MF_STRING, other, transmitLimitText(limit));
    const int count = GetMenuItemCount(limits);
    if (count > 0) {
        CheckMenuRadioItem(limits, 0, static_cast<UINT>(count - 1), static_cast<UINT>(chosen), MF_BYPOSITION);
    }
}

// "Unkey hotkey...": zelt.rc's modal dialog with the standard hot-key control, OK and Cancel. OK
// stores and registers the control's combination (none when empty) and closes the dialog; one the
// system refuses is said on the dialog's own line, and the dialog stays open for another choice.
// HKM_GETHOTKEY's word is what is stored: virtual key in the low byte, HOTKEYF_ flags above it.
void hotkeyChosen(HWND dialog, UnkeyHotkey& hotkey) {
    const auto word = static_cast<std::uint16_t>(
        LOWORD(SendDlgItemMessageW(dialog, ZELT_UNKEY_HOTKEY_CONTROL, HKM_GETHOTKEY, 0, 0)));
    const std::string problem = hotkey.choose(word);
    if (problem.empty()) {
        EndDialog(dialog, IDOK);
        return;
    }
    const std::string text =
        "Not registered, another program may hold it: " + problem + " zelt goes on without a hotkey.";
    SetDlgItemTextW(dialog, ZELT_UNKEY_HOTKEY_STATUS, toUtf16(text).c_str());
    MessageBeep(MB_OK);
}

// The control opens with the combination chosen last, and has the focus (its first tab stop).
INT_PTR CALLBACK hotkeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            auto* hotkey = reinterpret_cast<UnkeyHotkey*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SendDlgItemMessageW(dialog, ZELT_UNKEY_HOTKEY_CONTROL, HKM_SETHOTKEY, hotkey->word(), 0);
            return TRUE;
        }
        if (message != WM_COMMAND) return FALSE;
        auto* hotkey = reinterpret_cast<UnkeyHotkey*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (LOWORD(wParam) == IDOK && hotkey != nullptr) {
            hotkeyChosen(dialog, *hotkey);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
    } catch (...) {
        // Nothing may leave a dialog procedure; the dialog stays as it was.
    }
    return FALSE;
}

}  // namespace

void MainWindow::addSystemMenu(UnkeyHotkey& hotkey) {
    hotkey_ = &hotkey;
    systemMenu_ = GetSystemMenu(hwnd_, FALSE);
    if (systemMenu_ == nullptr) return;
    limits_ = CreatePopupMenu();
    for (std::size_t i = 0; i < kLimitChoices.size(); ++i) {
        append(limits_, MF_STRING, limitId(i), kLimitChoices[i].text);
    }
    AppendMenuW(systemMenu_, MF_SEPARATOR, 0, nullptr);
    append(systemMenu_, MF_STRING, kTransmit, system_menu::kTransmit);
    append(systemMenu_, MF_STRING, kSound, system_menu::kSound);
    append(systemMenu_, MF_STRING, kUnkeyHotkey, system_menu::kUnkeyHotkey);
    // The submenu belongs to the system menu from here on, and goes with the window.
    append(systemMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(limits_), system_menu::kTransmitLimit);
    append(systemMenu_, MF_STRING, kEventLog, system_menu::kEventLog);
    append(systemMenu_, MF_STRING, kAbout, system_menu::kAbout);
}

void MainWindow::systemMenuOpening() noexcept {
    if (systemMenu_ == nullptr) return;
    try {
        CheckMenuItem(systemMenu_, kTransmit,
                      MF_BYCOMMAND | (form_->transmitting() ? MF_CHECKED : MF_UNCHECKED));
        CheckMenuItem(systemMenu_, kSound, MF_BYCOMMAND | (form_->soundOn() ? MF_CHECKED : MF_UNCHECKED));
        showLimits(limits_, form_->transmitLimit());
    } catch (...) {
        // The menu shows what it showed last time.
    }
}

bool MainWindow::systemMenuCommand(WPARAM id) noexcept {
    if (hotkey_ == nullptr) return false;
    const UINT item = static_cast<UINT>(id) & kCommandMask;
    try {
        if (item == kTransmit) {
            form_->menuTransmit();
        } else if (item == kSound) {
            form_->chooseSound(!form_->soundOn());
        } else if (item == kUnkeyHotkey) {
            // Returns once the dialog is closed, or could not be shown.
            DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ZELT_UNKEY_HOTKEY_DIALOG), hwnd_,
                            hotkeyDialogProc, reinterpret_cast<LPARAM>(hotkey_));
        } else if (item == kEventLog) {
            form_->showEventLog();
        } else if (item == kAbout) {
            form_->showAbout();
        } else if (item >= kFirstLimit && item <= limitId(kLimitChoices.size())) {
            const std::size_t index = (item - kFirstLimit) / kLimitStep;
            form_->chooseTransmitLimit(index < kLimitChoices.size() ? kLimitChoices[index].seconds
                                                                    : form_->transmitLimit());
        } else {
            return false;
        }
    } catch (...) {
        // As with a click on the indicator: the request failed, the operator hears it; the log says why.
        MessageBeep(MB_OK);
    }
    return true;
}

}  // namespace zelt::win32
