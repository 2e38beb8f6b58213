#pragma once

#include <windows.h>

#include <string>

namespace zelt::win32 {

// Puts the text on the clipboard as Unicode text, in place of what was there. Throws Failure when
// the clipboard cannot be opened.
void copyToClipboard(HWND owner, const std::wstring& text);

}  // namespace zelt::win32
