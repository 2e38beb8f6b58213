#pragma once

#include <windows.h>

#include <utility>

namespace zelt::win32 {

// Handles that close themselves: one type per kind of handle the program releases, each letting go
// of its handle on every way out of the scope that holds it, failures included. None is copied; an
// owner of a GDI object or a key can be moved.

// Owns one GDI object (font, brush) and deletes it. Empty when its creation failed; a stock object
// is never put in one, so nothing here deletes what the system owns.
template <class Handle>
class ScopedGdiObj {
  public:
    ScopedGdiObj() = default;
    explicit ScopedGdiObj(Handle handle) : handle_(handle) {}
    ~ScopedGdiObj() { reset(); }
    ScopedGdiObj(const ScopedGdiObj&) = delete;
    ScopedGdiObj& operator=(const ScopedGdiObj&) = delete;
    ScopedGdiObj(ScopedGdiObj&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    ScopedGdiObj& operator=(ScopedGdiObj&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }

    Handle get() const { return handle_; }

  private:
    void reset() {
        if (handle_ != nullptr) DeleteObject(handle_);
        handle_ = nullptr;
    }

    Handle handle_ = nullptr;
};

using ScopedFont = ScopedGdiObj<HFONT>;
using ScopedBrush = ScopedGdiObj<HBRUSH>;
using ScopedPen = ScopedGdiObj<HPEN>;
using ScopedBitmap = ScopedGdiObj<HBITMAP>;

// Owns a handle that one function of the system lets go of, and calls it at the end. Null when none
// was had; a new handle can be moved in.
template <class Handle, BOOL(WINAPI* Close)(Handle)>
class ScopedClosing {
  public:
    ScopedClosing() = default;
    explicit ScopedClosing(Handle handle) : handle_(handle) {}
    ~ScopedClosing() {
        if (handle_ != nullptr) Close(handle_);
    }
    ScopedClosing(const ScopedClosing&) = delete;
    ScopedClosing& operator=(const ScopedClosing&) = delete;
    ScopedClosing& operator=(ScopedClosing&& other) noexcept {
        if (this != &other) {
            if (handle_ != nullptr) Close(handle_);
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }

    Handle get() const { return handle_; }
    // Hands the handle over to whoever closes it now (the serial port's thread, for a device).
    Handle release() { return std::exchange(handle_, nullptr); }

  private:
    Handle handle_ = nullptr;
};

// An icon made at run time (never a shared one from LoadIcon or LoadImage).
using ScopedIcon = ScopedClosing<HICON, DestroyIcon>;
// A kernel object's handle (an event, a thread).
using ScopedHandle = ScopedClosing<HANDLE, CloseHandle>;

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

// An open registry key, closed at the end; out() takes the key that RegOpenKeyEx or RegCreateKeyEx
// opens.
class ScopedHKEY {
  public:
    ScopedHKEY() = default;
    ~ScopedHKEY() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    ScopedHKEY(const ScopedHKEY&) = delete;
    ScopedHKEY& operator=(const ScopedHKEY&) = delete;

    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

}  // namespace zelt::win32
