#include "ui/win32_control.h"

#include "common/win32_text.h"

namespace zelt::win32 {

void Control::create(const wchar_t* className, DWORD style, DWORD exStyle, const ControlArgs& args) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(args.parent, GWLP_HINSTANCE));
    hwnd_ = CreateWindowExW(exStyle, className, toUtf16(args.text).c_str(), style, 0, 0, 0, 0, args.parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), instance, nullptr);
    if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(args.font), FALSE);
}

void Control::setText(const std::string& text) {
    if (hwnd_ == nullptr || windowText(hwnd_) == text) return;
    {
        const Writing writing(*this);
        SetWindowTextW(hwnd_, toUtf16(text).c_str());
    }
    lookChanged();
}

bool Control::enabled() const {
    return IsWindowEnabled(hwnd_) != FALSE;
}

void Control::setEnabled(bool enabled) {
    if (hwnd_ == nullptr || this->enabled() == enabled) return;
    const Writing writing(*this);
    EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void Control::setFont(HFONT font) {
    if (hwnd_ == nullptr) return;
    {
        const Writing writing(*this);
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    lookChanged();
}

void Control::place(const RECT& pixels, int dpi) {
    if (hwnd_ == nullptr || (placed_ && EqualRect(&*placed_, &pixels) != FALSE && placedDpi_ == dpi)) return;
    const Writing writing(*this);
    move(pixels, dpi);
    placed_ = pixels;
    placedDpi_ = dpi;
}

void Control::move(const RECT& pixels, int /*dpi*/) {
    MoveWindow(hwnd_, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, TRUE);
}

void Control::placeAgain() {
    if (!placed_) return;
    const RECT pixels = *placed_;
    placed_.reset();
    place(pixels, placedDpi_);
}

}  // namespace zelt::win32
