#pragma once

#include <cstdint>
#include <vector>

#include "ui/transmit_cues.h"

namespace zelt::win32 {

// The cues through PlaySound, from memory and asynchronously: the window and the host never wait
// for a sound, and no system sound stands in for one that cannot be played.
class Win32CueSound final : public CueSound {
  public:
    Win32CueSound() = default;
    ~Win32CueSound() override;
    Win32CueSound(const Win32CueSound&) = delete;
    Win32CueSound& operator=(const Win32CueSound&) = delete;

    void play(const std::vector<std::uint8_t>& wave) override;

  private:
    // The image being played: PlaySound reads it while it plays, after play has returned.
    std::vector<std::uint8_t> playing_;
};

}  // namespace zelt::win32
