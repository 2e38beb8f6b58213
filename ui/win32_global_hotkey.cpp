#include "ui/win32_global_hotkey.h"

#include "common/win32_failure.h"

namespace zelt::win32 {

// A second registration under the same id would not replace the first: the old one goes first.
void GlobalHotkey::registerKey(HotkeyRegistration key) {
    unregisterKey();
    if (RegisterHotKey(window_, kId, key.modifiers, key.virtualKey) == FALSE) {
        throwLastError("RegisterHotKey");
    }
    registered_ = true;
}

void GlobalHotkey::unregisterKey() noexcept {
    if (!registered_) return;
    UnregisterHotKey(window_, kId);
    registered_ = false;
}

}  // namespace zelt::win32
