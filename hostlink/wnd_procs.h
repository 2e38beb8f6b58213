#pragma once

#include <cstdint>
#include <functional>

namespace zelt {

class MainForm;

inline constexpr const char* kPttMessageName = "REDUDORORU";

// The host-link module: the registered host message and the window procedure it replaced.
struct WndProcs {
    std::uint32_t PttMessage = 0;    // 0 until start-up registers it
    std::uintptr_t PrevWndProc = 0;  // pointer-sized: a 64-bit window procedure does not fit in 32 bits

    // What the hook does with one message: the host's message goes to MainForm's ptt first, with the
    // request code and state taken as signed 32-bit integers; then every message goes on to the
    // previous procedure, whose result is returned. A failure inside ptt ends the message there
    // (not forwarded, result 0). After a close request destroyed the window, forwarding is skipped
    // (windowAlive false), so nothing touches the destroyed window.
    std::intptr_t dispatch(MainForm& form, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                           const std::function<std::intptr_t()>& forward,
                           const std::function<bool()>& windowAlive) noexcept;
};

}  // namespace zelt
