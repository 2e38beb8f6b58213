#pragma once

#include <cstdint>

namespace zelt {

// A key combination as the system registers it for the whole desktop: its modifiers and its
// virtual key, in the system's own numbers.
struct HotkeyRegistration {
    std::uint32_t modifiers = 0;
    std::uint32_t virtualKey = 0;
};

// The one system-wide hotkey of MainForm's window. A press reaches the window whatever program is
// in front.
class GlobalHotkey {
  public:
    virtual ~GlobalHotkey() = default;
    // Replaces the registered combination. Throws Failure when the system refuses it (another
    // program holds it); none is registered then.
    virtual void registerKey(HotkeyRegistration key) = 0;
    virtual void unregisterKey() noexcept = 0;
};

}  // namespace zelt
