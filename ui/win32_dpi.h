#pragma once

#include <windows.h>

namespace zelt::win32 {

// The screen's DPI for windows that follow the system's (96 when nothing can tell).
int systemDpi();
// The dpi a window is laid out at: the one recorded for it (setWindowDpi), or, before any is, the
// one the system gives it (GetDpiForWindow on Windows 10, its monitor's on 8.1, the system's on 7).
// Every size the program gives or reads of a window it lays out is in this dpi.
int windowDpi(HWND window);
// Records the dpi the window is laid out at from now on: the one it has as it is first laid out
// (recordWindowDpi, which returns it), and the one each WM_DPICHANGED gives (always the window's
// from then on). Windows before 10 1607 have no way to ask for it again. forgetWindowDpi undoes it
// before the window goes.
int recordWindowDpi(HWND window);
void setWindowDpi(HWND window, int dpi);
void forgetWindowDpi(HWND window);
// The frame a window of this style adds to its client area at the given dpi, in pixels. Before
// Windows 10 1607 the system does not scale frames for a window that follows its monitor's dpi, so
// the frame there is the one it draws at the system's dpi, whatever the dpi asked for.
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
