#pragma once

#include <windows.h>

#include "common/win32_scoped.h"

namespace zelt::win32 {

// The screen's DPI for windows that follow the system's (96 when nothing can tell).
int systemDpi();
// The dpi the system gives a window: GetDpiForWindow on Windows 10, its monitor's on 8.1, the
// system's on 7. A window that follows its monitor's dpi takes it as it is first laid out, then
// the one each WM_DPICHANGED gives: Windows before 10 1607 have no way to ask for that again.
int windowDpi(HWND window);
// The frame, in pixels, a window of this style adds to its client area at the dpi. Before Windows 10 1607
// frames are not scaled for a window that follows its monitor's dpi: it is the one at the system's dpi.
SIZE frameSize(HWND window, int dpi);
int systemMetric(int index, int dpi);

// "MS Shell Dlg" at 8 points, the font the form's designed places were drawn for, at the given dpi.
// Empty when it cannot be made; the controls then keep the system font.
ScopedFont dialogFont(int dpi);

// The room a control's caption takes on one line in the control's own font, with "&" read as the
// access-key prefix, as buttons and static controls draw it.
SIZE captionExtent(HWND control);

}  // namespace zelt::win32

// Messages newer than the Windows 7 headers know.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif
