#include "ui/win32_font.h"

#include <string>

#include "common/win32_text.h"

namespace zelt::win32 {
namespace {

constexpr int kDialogFontPoints = 8;
constexpr int kPointsPerInch = 72;

}  // namespace

ScopedFont dialogFont(int dpi) {
    // A negative height asks for the character height, without the internal leading: the size in
    // points as a dialog template gives it.
    return ScopedFont{CreateFontW(-MulDiv(kDialogFontPoints, dpi, kPointsPerInch), 0, 0, 0, FW_NORMAL, FALSE,
                                  FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg")};
}

SIZE captionExtent(HWND control) {
    const std::wstring text = toUtf16(windowText(control));
    if (text.empty()) return SIZE{0, 0};

    const ScopedGetDC dc(control);
    if (dc.get() == nullptr) return SIZE{0, 0};
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const ScopedSelectObject selected(dc.get(), font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    RECT room{0, 0, 0, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &room,
              DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_LEFT);
    return SIZE{room.right - room.left, room.bottom - room.top};
}

}  // namespace zelt::win32
