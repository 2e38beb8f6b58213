#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace zelt::win32 {

// What a window tells assistive technology (screen readers, through Microsoft Active
// Accessibility) beyond what the system's standard object for it says. An empty field leaves the
// standard object's answer.
struct AccessibleFacts {
    std::wstring name;
    std::wstring value;
    long role = 0;  // ROLE_SYSTEM_*
    std::wstring defaultAction;
    // The window shows what another window's object already tells, so its objects say they are
    // invisible, and a screen reader passes over them rather than meeting the same thing twice.
    bool hidden = false;
};

// From now until the window is destroyed, the window answers WM_GETOBJECT with the system's
// standard object for it, the facts laid over it. Called in the window's thread, once per window.
// facts() is asked again at every question, in that thread; act() carries out the default action
// there, and should only post what it does, as a client waits for it. Returns false where the
// window's procedure cannot be replaced.
bool exposeAccessible(HWND window, std::function<AccessibleFacts()> facts, std::function<void()> act = {});

// The value the window's object tells has changed: one event for the clients listening.
void announceValueChange(HWND window);

// A caption as a screen reader says it: the access key's "&" dropped, "&&" read as "&".
std::wstring withoutAccessKey(const std::wstring& caption);

}  // namespace zelt::win32
