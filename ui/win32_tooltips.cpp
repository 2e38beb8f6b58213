#include "ui/win32_tooltips.h"

#include <commctrl.h>

#include "common/win32_text.h"

namespace zelt::win32 {

bool Tooltips::create(HWND form) {
    if (popup_ != nullptr) return true;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form, GWLP_HINSTANCE));
    // Not owned by the form: under Wine a topmost popup owned by the form keeps the form itself out
    // of the topmost band. destroy() ends it with the form.
    popup_ =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    form_ = form;
    return popup_ != nullptr;
}

void Tooltips::add(HWND control, const std::string& text) {
    if (popup_ == nullptr || text.empty()) return;
    std::wstring wide = toUtf16(text);
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;  // also understood by common controls before version 6
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = form_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = wide.data();
    SendMessageW(popup_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltips::destroy() noexcept {
    if (popup_ != nullptr) DestroyWindow(popup_);
    popup_ = nullptr;
}

}  // namespace zelt::win32
