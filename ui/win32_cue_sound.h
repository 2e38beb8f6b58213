#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "common/win32_scoped.h"

namespace zelt::win32 {

// The transmit cues through PlaySound, from memory, with no system sound standing in for one that cannot be
// played. PlaySound is called on a thread of its own: even asynchronous, it waits for a sound still
// playing to stop (under Wine a fifth of a second while the device opens), and neither the window
// nor the host may wait for a sound. A failure is reported at the next cue. The thread is the
// system's own (no C++ thread library), which keeps zelt.exe small.
class CueSound final {
  public:
    CueSound();
    ~CueSound();
    CueSound(const CueSound&) = delete;
    CueSound& operator=(const CueSound&) = delete;

    // Plays a WAV image without waiting for it at all; a cue still playing is cut off by the next.
    // Throws Failure when the cue before could not be played.
    void play(const std::vector<std::uint8_t>& wave);

  private:
    static DWORD WINAPI runPlayer(void* self);
    void run();

    CRITICAL_SECTION lock_{};
    ScopedHandle wake_;               // set when a cue waits or the player is to stop
    std::vector<std::uint8_t> next_;  // the image to play next; empty when there is none
    bool stopping_ = false;
    std::atomic<DWORD> failed_{0};  // the Windows error of the last cue that failed
    ScopedHandle player_;
};

}  // namespace zelt::win32
