#pragma once

#include <windows.h>

namespace zelt::win32 {

// The screen's DPI for windows that follow the system's (96 when nothing can tell).
int systemDpi();
// The window's dots per inch.
int windowDpi(HWND window);
// The frame a window of this style adds to its client area at the given dpi, in pixels.
SIZE frameSize(HWND window, int dpi);
// GetSystemMetrics for the given dpi.
int systemMetric(int index, int dpi);

}  // namespace zelt::win32

// Messages newer than the Windows 7 headers know.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif
