#include "ui/win32_font.h"

namespace zelt::win32 {
namespace {

constexpr int kDialogFontPoints = 8;
constexpr int kPointsPerInch = 72;

}  // namespace

Font dialogFont(int dpi) {
    // A negative height asks for the character height, without the internal leading: the size in
    // points as a dialog template gives it.
    return Font{CreateFontW(-MulDiv(kDialogFontPoints, dpi, kPointsPerInch), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                            FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg")};
}

}  // namespace zelt::win32
