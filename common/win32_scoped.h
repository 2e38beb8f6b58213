#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace zelt::win32 {

// Handles that close themselves: std::unique_ptr with the call that lets go of each kind, so every
// owner is moved, never copied, and lets go on every way out of its scope. unique_ptr never hands
// null to the deleter.
template <auto Close>
struct Closer {
    void operator()(auto handle) const noexcept { Close(handle); }
};
// CreateFile's failure is INVALID_HANDLE_VALUE, not null: such a handle is never closed either.
struct HandleDeleter {
    void operator()(HANDLE handle) const noexcept {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
struct ComReleaser {
    void operator()(auto* object) const noexcept { object->Release(); }
};

// A font of the program's own, never a stock object.
using ScopedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, Closer<DeleteObject>>;
// An icon of the program's own (LoadImage without LR_SHARED, CreateIconIndirect), never a shared one.
using ScopedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, Closer<DestroyIcon>>;
// A kernel object's handle (an event, a thread, a file).
using ScopedHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleDeleter>;
using ScopedHKEY = std::unique_ptr<std::remove_pointer_t<HKEY>, Closer<RegCloseKey>>;
// Memory the system allocated with LocalAlloc for the caller (CommandLineToArgvW's list).
template <class Element>
using ScopedLocal = std::unique_ptr<Element, Closer<LocalFree>>;
template <class Interface>
using ScopedCom = std::unique_ptr<Interface, ComReleaser>;

// A window's device context (the screen's for no window), released again. Null when none was had.
class ScopedGetDC {
  public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;

    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, with the one it replaced put back at the end.
class ScopedSelectObject {
  public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace zelt::win32
