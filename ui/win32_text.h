#pragma once

#include <windows.h>

#include <string>

namespace zelt::win32 {

// A window's text as UTF-8.
std::string windowText(HWND window);

}  // namespace zelt::win32
