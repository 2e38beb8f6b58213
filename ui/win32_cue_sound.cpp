#include "ui/win32_cue_sound.h"

#include <windows.h>

#include <mmsystem.h>

#include "common/win32_failure.h"

namespace zelt::win32 {

// A sound still playing is stopped before its image goes.
Win32CueSound::~Win32CueSound() {
    if (!playing_.empty()) PlaySoundW(nullptr, nullptr, 0);
}

void Win32CueSound::play(const std::vector<std::uint8_t>& wave) {
    // The previous cue is stopped before its image is overwritten.
    if (!playing_.empty()) PlaySoundW(nullptr, nullptr, 0);
    playing_ = wave;
    const auto* image = reinterpret_cast<LPCWSTR>(playing_.data());
    if (PlaySoundW(image, nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT) == FALSE) {
        throwLastError("the sound could not be played");
    }
}

}  // namespace zelt::win32
