#pragma once

#include <windows.h>

#include "common/win32_scoped.h"

namespace zelt::win32 {

// The dialog font, "MS Shell Dlg" at 8 points, at the given dpi: the face and size the form's
// designed places were drawn for. Empty when it cannot be made; the controls then keep the system
// font.
ScopedFont dialogFont(int dpi);

// The room a control's caption takes on one line in the control's own font, with "&" read as the
// access-key prefix, as buttons and static controls draw it.
SIZE captionExtent(HWND control);

}  // namespace zelt::win32
