#pragma once

#include <windows.h>

#include <cstdint>

#include "hostlink/wnd_procs.h"

namespace zelt {

class MainForm;

namespace win32 {

// Tells the hook which MainForm and which WndProcs it serves; there is one of each per program.
void bindHostLink(MainForm& form, WndProcs& wndProcs);

// Reads the window's procedure and puts the new one in its place (the ANSI calls, GWLP_WNDPROC);
// returns the procedure read, pointer-sized.
std::uintptr_t HookWindow(HWND window, WNDPROC procedure);

// The procedure HookWindow installs on MainForm's window: every message goes through
// WndProcs::dispatch and on to the previous procedure, until the window has been destroyed.
LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace win32
}  // namespace zelt
