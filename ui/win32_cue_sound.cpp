#include "ui/win32_cue_sound.h"

#include <mmsystem.h>

#include <utility>

#include "common/win32_text.h"

namespace zelt::win32 {

// A player that could not be started is reported at the first cue, and zelt runs on without sound.
CueSound::CueSound() {
    InitializeCriticalSection(&lock_);
    wake_ = ScopedHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (wake_.get() != nullptr) player_ = ScopedHandle(CreateThread(nullptr, 0, runPlayer, this, 0, nullptr));
    if (player_.get() == nullptr) failed_ = GetLastError() != 0 ? GetLastError() : ERROR_GEN_FAILURE;
}

CueSound::~CueSound() {
    if (player_.get() != nullptr) {
        EnterCriticalSection(&lock_);
        stopping_ = true;
        LeaveCriticalSection(&lock_);
        SetEvent(wake_.get());
        WaitForSingleObject(player_.get(), INFINITE);
    }
    DeleteCriticalSection(&lock_);
}

// Only the newest cue waiting is played: one that a quicker change made stale is dropped.
void CueSound::play(const std::vector<std::uint8_t>& wave) {
    if (const DWORD error = failed_.exchange(0); error != 0) {
        throwError(error, "the sound could not be played");
    }
    if (player_.get() == nullptr) return;
    std::vector<std::uint8_t> copy = wave;  // made before the lock, which the player holds briefly
    EnterCriticalSection(&lock_);
    next_ = std::move(copy);
    LeaveCriticalSection(&lock_);
    SetEvent(wake_.get());
}

DWORD WINAPI CueSound::runPlayer(void* self) {
    static_cast<CueSound*>(self)->run();
    return 0;
}

// The image played stays here until the next one: PlaySound reads it while the sound plays.
void CueSound::run() {
    std::vector<std::uint8_t> playing;
    for (;;) {
        WaitForSingleObject(wake_.get(), INFINITE);
        EnterCriticalSection(&lock_);
        const bool stopping = stopping_;
        std::vector<std::uint8_t> wave = std::exchange(next_, {});
        LeaveCriticalSection(&lock_);
        if (stopping) break;
        if (wave.empty()) continue;
        PlaySoundW(nullptr, nullptr, 0);  // the sound still playing stops before its image goes
        playing = std::move(wave);
        if (PlaySoundW(reinterpret_cast<LPCWSTR>(playing.data()), nullptr,
                       SND_MEMORY | SND_ASYNC | SND_NODEFAULT) == FALSE) {
            const DWORD error = GetLastError();
            failed_ = error != 0 ? error : ERROR_GEN_FAILURE;
        }
    }
    PlaySoundW(nullptr, nullptr, 0);
}

}  // namespace zelt::win32
