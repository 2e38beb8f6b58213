#pragma once

#include <windows.h>

namespace zelt::win32 {

// An invisible label that takes the clicks over whatever lies beneath it: it paints nothing and
// tells its parent of a click with WM_COMMAND (its id, STN_CLICKED), as a notifying static does.
inline constexpr wchar_t kClickTargetClass[] = L"ZeltClickTarget";

void registerClickTargetClass(HINSTANCE instance);

}  // namespace zelt::win32
