#pragma once

#include <windows.h>

namespace zelt::win32 {

// The window's dots per inch (96 when the system cannot tell).
int windowDpi(HWND window);

// The frame a window of this style adds to its client area at the given dpi, in pixels.
SIZE frameSize(HWND window, int dpi);

}  // namespace zelt::win32
