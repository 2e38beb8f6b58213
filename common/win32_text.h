#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zelt::win32 {

// The only conversions between the program's UTF-8 and the wide Windows calls' UTF-16. Invalid UTF-8
// fails (Failure) rather than being replaced, so what is handed on is what the program holds.
std::wstring toUtf16(std::string_view utf8);
// Text from outside may hold an unpaired surrogate; it becomes U+FFFD instead of failing.
std::string toUtf8(std::wstring_view utf16);

std::string windowText(HWND window);

// A failed Windows call as a Failure carrying the Windows error number (a call that left no error
// number still fails with a nonzero code). Its text is "what: the system's message (Windows error N)".
[[noreturn]] void throwError(DWORD error, const std::string& what);
[[noreturn]] void throwLastError(const std::string& what);
// A COM result as its documentation writes it: "HRESULT 0x8001010E".
std::string hresultText(HRESULT result);

}  // namespace zelt::win32
