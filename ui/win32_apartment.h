#pragma once

#include <objbase.h>
#include <windows.h>

#include <string>

#include "common/win32_text.h"

namespace zelt::win32 {

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
