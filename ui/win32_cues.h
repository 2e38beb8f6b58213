#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "common/win32_scoped.h"

namespace zelt::win32 {

// The transmit cues through PlaySound, from memory, with no system sound standing in for one that cannot
// be played. PlaySound is called on a thread of its own: even asynchronous, it waits for a sound still
// playing to stop (under Wine a fifth of a second while the device opens), and neither the window nor
// the host may wait for a sound. A failure is reported at the next cue. The thread is the system's own
// (no C++ thread library), which keeps zelt.exe small.
class CueSound final {
  public:
    CueSound();
    ~CueSound();

    // Plays a WAV image without waiting for it at all; a cue still playing is cut off by the next.
    // Throws Failure when the cue before could not be played.
    void play(const std::vector<std::uint8_t>& wave);

  private:
    static DWORD WINAPI runPlayer(void* self);
    void run();

    SRWLOCK lock_ = SRWLOCK_INIT;
    ScopedHandle wake_;               // set when a cue waits or the player is to stop
    std::vector<std::uint8_t> next_;  // the image to play next; empty when there is none
    bool stopping_ = false;
    std::atomic<DWORD> failed_{0};  // the Windows error of the last cue that failed
    bool started_ = false;          // the window thread's: the player was started (at the first cue)
    ScopedHandle player_;
};

// The transmit mark on the window's taskbar button: a small red disc over the program's icon,
// described as "Transmitting" for screen readers. The window's own icon and caption never change.
class TaskbarButton final {
  public:
    // The window must be the taskbar button's, and the thread in a single-threaded apartment.
    explicit TaskbarButton(HWND window);

    // Windows made the button, or made it again (the taskbar restarted): the taskbar is reached afresh.
    // Throws Failure where there is no taskbar to reach.
    void connect();
    // Puts the transmit mark on or takes it off. Throws Failure when the taskbar refuses; does nothing
    // before a connect that succeeded.
    void markTransmitting(bool transmitting);

    // "TaskbarButtonCreated", which Windows sends the window once its button is there (again);
    // 0 when it cannot be registered.
    static UINT buttonCreatedMessage();

  private:
    HICON mark();

    HWND window_;
    ScopedIcon mark_;  // loaded at the first use
    ScopedCom<ITaskbarList3> list_;
};

}  // namespace zelt::win32
