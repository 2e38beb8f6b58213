#include "app/win32_hotkey_dialog.h"

#include <commctrl.h>

#include <string>

#include "app/unkey_hotkey.h"
#include "common/win32_text.h"
#include "resources/resource_ids.h"

namespace zelt::win32 {

void HotkeyDialog::show(HWND owner, UnkeyHotkey& hotkey) noexcept {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ZELT_UNKEY_HOTKEY_DIALOG), owner, dialogProc,
                    reinterpret_cast<LPARAM>(&hotkey));
}

// The control opens with the combination chosen last, and has the focus (its first tab stop).
INT_PTR CALLBACK HotkeyDialog::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
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
            chosen(dialog, *hotkey);
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

// HKM_GETHOTKEY's word is what is stored: virtual key in the low byte, HOTKEYF_ flags above it.
void HotkeyDialog::chosen(HWND dialog, UnkeyHotkey& hotkey) {
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

}  // namespace zelt::win32
