#include "ui/win32_cue_sound.h"

#include <mmsystem.h>

#include <utility>

#include "common/win32_failure.h"

namespace zelt::win32 {

CueSound::CueSound() : player_([this] { run(); }) {}

CueSound::~CueSound() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    player_.join();
}

// Only the newest cue waiting is played: one that a quicker change made stale is dropped.
void CueSound::play(const std::vector<std::uint8_t>& wave) {
    if (const DWORD error = failed_.exchange(0); error != 0) {
        throwError(error, "the sound could not be played");
    }
    {
        const std::lock_guard lock(mutex_);
        next_ = wave;
    }
    wake_.notify_one();
}

// The image played stays here until the next one: PlaySound reads it while the sound plays.
void CueSound::run() {
    std::vector<std::uint8_t> playing;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !next_.empty(); });
        if (stopping_) break;
        std::vector<std::uint8_t> wave = std::exchange(next_, {});
        lock.unlock();
        PlaySoundW(nullptr, nullptr, 0);  // the sound still playing stops before its image goes
        playing = std::move(wave);
        if (PlaySoundW(reinterpret_cast<LPCWSTR>(playing.data()), nullptr,
                       SND_MEMORY | SND_ASYNC | SND_NODEFAULT) == FALSE) {
            const DWORD error = GetLastError();
            failed_ = error != 0 ? error : ERROR_GEN_FAILURE;
        }
        lock.lock();
    }
    lock.unlock();
    PlaySoundW(nullptr, nullptr, 0);
}

}  // namespace zelt::win32
