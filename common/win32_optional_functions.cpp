#include "common/win32_optional_functions.h"

#include <optional>

namespace zelt::win32 {
namespace {

std::optional<OptionalFunctions> g_functions;

template <typename Function>
void lookUp(HMODULE module, const char* name, Function& function) {
    if (module == nullptr) return;
    // GetProcAddress gives a generic pointer; the name fixes the real signature.
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

OptionalFunctions lookUpOptionalFunctions() {
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

const OptionalFunctions& optionalFunctions() {
    if (!g_functions) g_functions = lookUpOptionalFunctions();
    return *g_functions;
}

void useOptionalFunctions(const OptionalFunctions& functions) {
    g_functions = functions;
}

}  // namespace zelt::win32
