#pragma once

#include <windows.h>

#include <type_traits>

namespace zelt::win32 {

// The Windows functions newer than Windows 7, the oldest system zelt runs on: imported, one would stop
// the program from loading there, so each is looked up by name here. A null entry is one the system
// lacks; its callers take the fallback named beside it.
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
inline OptionalFunctions lookUpOptionalFunctions() {
    // GetProcAddress gives a generic pointer; the name fixes the real signature.
    const auto lookUp = [](HMODULE module, const char* name, auto& function) {
        if (module == nullptr) return;
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            reinterpret_cast<void*>(GetProcAddress(module, name)));
    };
    OptionalFunctions functions;
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    lookUp(user32, "GetDpiForWindow", functions.getDpiForWindow);
    lookUp(user32, "GetDpiForSystem", functions.getDpiForSystem);
    lookUp(user32, "AdjustWindowRectExForDpi", functions.adjustWindowRectExForDpi);
    lookUp(user32, "GetSystemMetricsForDpi", functions.getSystemMetricsForDpi);
    // shcore is not loaded by anything before it is needed. Only the system's copy is taken, and
    // it stays loaded for the process's life. Windows 7 has none (the flag needs an update there,
    // and the call fails either way), which is the fallback.
    lookUp(LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor",
           functions.getDpiForMonitor);
    lookUp(GetModuleHandleW(L"kernelbase.dll"), "GetCommPorts", functions.getCommPorts);
    return functions;
}

// The table in force: the system's, looked up at the first call. Tests put in another (an empty
// table runs every fallback, as on Windows 7), which stays in force until the next.
inline OptionalFunctions& optionalFunctions() {
    static OptionalFunctions functions = lookUpOptionalFunctions();
    return functions;
}

}  // namespace zelt::win32
