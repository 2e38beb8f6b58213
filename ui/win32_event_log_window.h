#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "common/event_log.h"
#include "common/win32_scoped.h"

namespace zelt::win32 {

// The event log on screen: a resizable window owned by MainForm's, the events oldest first, scrolled to
// the newest, with "Copy" (every line to the clipboard as text) and "Clear". Tab moves between them and
// Escape closes it, once the message loop hands it its keys (IsDialogMessage); it can be opened again.
class EventLogWindow final : public EventListener {
  public:
    static constexpr wchar_t kClassName[] = L"ZeltEventLog";
    static constexpr wchar_t kCaption[] = L"zelt event log";
    enum Id : int { kList = 201, kCopy, kClear };

    EventLogWindow(EventLog& log, HWND owner) : log_(log), owner_(owner) {}
    ~EventLogWindow() override {
        if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    }

    // Opens the window, or brings it to the front when it is open; first opened, it is sized for
    // the dpi the main window is laid out at. Throws Failure when it cannot be made.
    void show(int ownerDpi);
    HWND hwnd() const { return hwnd_; }

    void eventAdded(const Event& event) noexcept override;
    void logCleared() noexcept override;

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void create(int ownerDpi);
    void applyFont();
    void measure(HDC dc, const wchar_t* line, std::size_t length);
    void layOut();
    void refresh();
    void refreshNow() noexcept;
    void destroyed() noexcept;

    EventLog& log_;
    HWND owner_;
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HWND copyButton_ = nullptr;
    HWND clearButton_ = nullptr;
    ScopedFont font_;
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    int widestLine_ = 0;            // pixels, for the list's horizontal scroll range
    std::size_t longestChars_ = 0;  // characters of the longest line measured
    std::uint64_t shown_ = 0;       // the log's count of events added when the list last caught up
    bool refreshPending_ = false;
};

}  // namespace zelt::win32
