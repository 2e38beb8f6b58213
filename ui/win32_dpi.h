#pragma once

#include <windows.h>

namespace zelt::win32 {

// The per-monitor DPI functions of Windows 10 (1607 and later). zelt runs on Windows 7 too, so they
// are looked up at run time, once; where one is absent a fallback gives the same layout (without
// per-monitor awareness every window has the system's DPI).
struct DpiFunctions {
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    UINT(WINAPI* getDpiForSystem)() = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;
};

// The functions user32 has, looked up by name.
DpiFunctions lookUpDpiFunctions();
// The table in force: user32's, looked up at the first call. Tests hand in another (an empty table
// runs every fallback); the table handed in stays in force until the next call.
const DpiFunctions& dpiFunctions();
void useDpiFunctions(const DpiFunctions& functions);

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
