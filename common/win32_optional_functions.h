#pragma once

#include <windows.h>

namespace zelt::win32 {

// The Windows functions newer than Windows 7, the oldest system zelt runs on. Importing one would
// stop the program from loading there, so each is looked up by name at run time, here and nowhere
// else. A null entry is a function the system lacks; its callers then take the fallback named
// beside it.
struct OptionalFunctions {
    // user32, Windows 10 1607. Without them the window's dpi is the one WM_DPICHANGED last gave, or
    // at creation GetDpiForMonitor's or the system's, and the frame is AdjustWindowRectEx's (the
    // older systems do not scale it).
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    UINT(WINAPI* getDpiForSystem)() = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;
    // shcore, Windows 8.1: a monitor's dpi (the second argument is MONITOR_DPI_TYPE). Without it,
    // as on Windows 7, every window has the system's dpi.
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
    // kernelbase, Windows 10 1803: the serial ports present. Without it they are read from the
    // serial device map in the registry.
    ULONG(WINAPI* getCommPorts)(PULONG, ULONG, PULONG) = nullptr;
};

// The functions this system has, looked up by name.
OptionalFunctions lookUpOptionalFunctions();
// The table in force: the system's, looked up at the first call. Tests hand in another (an empty
// table runs every fallback, as on Windows 7); the table handed in stays in force until the next.
const OptionalFunctions& optionalFunctions();
void useOptionalFunctions(const OptionalFunctions& functions);

}  // namespace zelt::win32
