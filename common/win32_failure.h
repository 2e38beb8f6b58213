#pragma once

#include <windows.h>

#include <string>

namespace zelt::win32 {

// A failed Windows call as a Failure carrying the Windows error number (a call that left no error
// number still fails with a nonzero code). Its text is "what: the system's message (Windows error N)".
[[noreturn]] void throwError(DWORD error, const std::string& what);
[[noreturn]] void throwLastError(const std::string& what);
// A COM result as its documentation writes it: "HRESULT 0x8001010E".
std::string hresultText(HRESULT result);

}  // namespace zelt::win32
