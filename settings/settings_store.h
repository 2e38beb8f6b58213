#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelt {

// The per-user settings store: text values addressed by application, section and key. Texts are
// UTF-8. A read or save that fails throws Failure with a nonzero code.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    // A missing section or key gives the default.
    virtual std::string read(std::string_view application, std::string_view section, std::string_view key,
                             std::string_view defaultText) = 0;
    // Creates the section and key when they are missing.
    virtual void save(std::string_view application, std::string_view section, std::string_view key,
                      std::string_view text) = 0;
};

// Every stored value of the program: its section, key and default. No other code spells them.
struct SettingKey {
    std::string_view section;
    std::string_view key;
    std::string_view defaultText;  // the default start-up reads with
};

inline constexpr std::string_view kApplication = "ZELT";

namespace settings {
inline constexpr SettingKey kLineSettings{"Com", "Settings", "4800,n,8,2"};
inline constexpr SettingKey kComPort{"Com", "ComPort", "1"};
// Optional: "1" holds that modem line high while the port is open, for an interface powered from
// DTR or a radio that waits for RTS; anything else holds it low, so the transmitter is not keyed.
inline constexpr SettingKey kDtr{"Com", "DTR", "0"};
inline constexpr SettingKey kRts{"Com", "RTS", "0"};
inline constexpr SettingKey kRunMinimized{"Win", "Min", "0"};
inline constexpr SettingKey kTopmost{"Win", "Top", "0"};
// Optional: the transmit time limit in whole seconds; "0", absent or not understood (logged) is off.
inline constexpr SettingKey kTransmitLimit{"Win", "TxLimit", "0"};
// Optional: "1" sounds a cue at every change of the transmit state; anything else or nothing is silent.
inline constexpr SettingKey kSound{"Win", "Sound", "0"};
// Optional: the unkey hotkey, the hot-key control's word in decimal; "0", absent or not understood is none.
inline constexpr SettingKey kUnkeyKey{"Win", "UnkeyKey", "0"};
}  // namespace settings

inline std::string readSetting(SettingsStore& store, const SettingKey& key) {
    return store.read(kApplication, key.section, key.key, key.defaultText);
}

inline void saveSetting(SettingsStore& store, const SettingKey& key, std::string_view text) {
    store.save(kApplication, key.section, key.key, text);
}

// Stored text to a 16-bit integer (port number, check values). Throws Failure for text that is not
// a number or lies outside -32768 to 32767. The exact rules are documented in conversions.cpp.
std::int16_t textToInt16(std::string_view text);

// An optional stored whole number, as the extras store them: decimal digits, blanks around them
// allowed, a value above `cap` read as `cap`; nothing (or only blanks) is 0. Anything else ("abc",
// "-5", "60.5", "+60", a tab) is not understood: nullopt.
std::optional<std::uint64_t> wholeNumberFromText(std::string_view stored, std::uint64_t cap);

}  // namespace zelt
