#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zelt::win32 {

// The core speaks UTF-8; the wide Windows calls take UTF-16.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// A window's text as UTF-8.
std::string windowText(HWND window);

}  // namespace zelt::win32
