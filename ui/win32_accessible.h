#pragma once

#include <windows.h>

#include <objbase.h>

#include <functional>
#include <string>

#include "common/win32_text.h"

namespace zelt::win32 {

// What a window tells assistive technology (screen readers, through Microsoft Active Accessibility)
// beyond the system's standard object for it; an empty field leaves the standard object's answer.
struct AccessibleFacts {
    std::wstring name{};
    std::wstring value{};
    long role = 0;  // ROLE_SYSTEM_*
    std::wstring defaultAction{};
};

// From now until the window is destroyed, the window answers WM_GETOBJECT for its client area with
// the system's standard object for it, the facts laid over it. Called in the window's thread, once per
// window. facts() is asked again at every question, in that thread; act() carries out the default action
// there, and should only post what it does, as a client waits for it. Nothing is exposed where the
// window's procedure cannot be replaced.
void exposeAccessible(HWND window, std::function<AccessibleFacts()> facts, std::function<void()> act = {});

// The value the window's object tells has changed: one event for the clients listening.
void announceValueChange(HWND window);

// A caption as a screen reader says it: the access key's "&" dropped, "&&" read as "&".
std::wstring withoutAccessKey(const std::wstring& caption);

// The window thread's single-threaded apartment, joined before any window exists and left after the
// last one is gone: the COM objects the windows hand out live in it and are called through the
// message loop, one at a time like its messages.
class Apartment {
  public:
    Apartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~Apartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;

    // Refused when something loaded into the process put the thread into another apartment first
    // (RPC_E_CHANGED_MODE): screen readers then get the system's standard objects only.
    std::string refusal() const {
        if (SUCCEEDED(result_)) return {};
        return "COM refused the window's single-threaded apartment (" + hresultText(result_) +
               "): screen readers get the standard objects only";
    }

  private:
    HRESULT result_;
};

}  // namespace zelt::win32
