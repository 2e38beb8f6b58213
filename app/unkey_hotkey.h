#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/window.h"
#include "common/event_log.h"
#include "settings/settings_store.h"

namespace zelt {

// The hot-key control's word (virtual key in the low byte, HOTKEYF_ flags in the high byte) and
// RegisterHotKey's MOD_ flags, in Windows' numbers, spelled here so that the core maps one to the other.
namespace hotkey_flags {
inline constexpr std::uint8_t kShift = 0x01;           // HOTKEYF_SHIFT
inline constexpr std::uint8_t kControl = 0x02;         // HOTKEYF_CONTROL
inline constexpr std::uint8_t kAlt = 0x04;             // HOTKEYF_ALT
inline constexpr std::uint8_t kExtended = 0x08;        // HOTKEYF_EXT: the key's extended form, no modifier
inline constexpr std::uint32_t kModAlt = 0x0001;       // MOD_ALT
inline constexpr std::uint32_t kModControl = 0x0002;   // MOD_CONTROL
inline constexpr std::uint32_t kModShift = 0x0004;     // MOD_SHIFT
inline constexpr std::uint32_t kModNoRepeat = 0x4000;  // MOD_NOREPEAT: a held key is one press
}  // namespace hotkey_flags

// The stored unkey hotkey's word, as wholeNumberFromText reads it; 0 is none. Beyond 16 bits, a flag
// the control does not set, or flags without a key are not understood either: nullopt.
std::optional<std::uint16_t> unkeyKeyFromText(std::string_view stored);

// What RegisterHotKey is given for a word: its MOD_ flags, always with MOD_NOREPEAT, and virtual key.
HotkeyRegistration registrationOf(std::uint16_t word);

// The word as the operator reads it in the log: "Ctrl+Alt+F9", "Shift+key 0xBA".
std::string unkeyKeyText(std::uint16_t word);

// The operator's unkey hotkey, stored as "Win"/"UnkeyKey" and registered with the system for the
// whole desktop; a combination the system refuses is logged, and zelt goes on without it.
class UnkeyHotkey {
  public:
    UnkeyHotkey(SettingsStore& store, EventLog& log, Window& window)
        : store_(store), log_(log), window_(window) {}
    UnkeyHotkey(const UnkeyHotkey&) = delete;
    UnkeyHotkey& operator=(const UnkeyHotkey&) = delete;

    // Start-up: the stored combination is registered; one not understood is logged, and is none.
    void load() noexcept;
    // The operator chose a combination (0: none): stored at once, then registered. Returns what
    // kept it from being registered (another program holds it), empty when it is in force.
    std::string choose(std::uint16_t word) noexcept;
    // The combination chosen, registered or not.
    std::uint16_t word() const { return word_; }

  private:
    std::string apply() noexcept;

    SettingsStore& store_;
    EventLog& log_;
    Window& window_;
    std::uint16_t word_ = 0;
    std::string eventText_;
};

}  // namespace zelt
