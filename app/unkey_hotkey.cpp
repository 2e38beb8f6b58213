#include "app/unkey_hotkey.h"

#include <array>
#include <exception>

#include "app/event_text.h"

namespace zelt {
namespace {

using namespace hotkey_flags;

constexpr std::uint16_t kFlagsKnown = kShift | kControl | kAlt | kExtended;
constexpr std::uint32_t kFirstFunctionKey = 0x70;  // VK_F1, up to VK_F24
constexpr std::uint32_t kLastFunctionKey = 0x87;

struct NamedKey {
    std::uint32_t virtualKey;
    std::string_view name;
};
constexpr std::array<NamedKey, 11> kNamedKeys{{{0x13, "Pause"},
                                               {0x20, "Space"},
                                               {0x21, "Page Up"},
                                               {0x22, "Page Down"},
                                               {0x23, "End"},
                                               {0x24, "Home"},
                                               {0x2D, "Insert"},
                                               {0x2E, "Delete"},
                                               {0x91, "Scroll Lock"},
                                               {0x08, "Backspace"},
                                               {0x1B, "Esc"}}};

void appendKeyName(std::string& out, std::uint32_t key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        out += static_cast<char>(key);
        return;
    }
    if (key >= kFirstFunctionKey && key <= kLastFunctionKey) {
        out += "F" + std::to_string(key - kFirstFunctionKey + 1);
        return;
    }
    for (const NamedKey& named : kNamedKeys) {
        if (named.virtualKey == key) {
            out += named.name;
            return;
        }
    }
    const auto byte = static_cast<char>(key);
    out += "key 0x";
    appendHex(out, {&byte, 1});
}

}  // namespace

std::optional<std::uint16_t> unkeyKeyFromText(std::string_view stored) {
    // Read up to one past the largest word, so that anything larger is refused rather than capped.
    const std::optional<std::uint64_t> number = wholeNumberFromText(stored, 0x10000);
    if (!number || *number > 0xFFFF) return std::nullopt;
    const auto word = static_cast<std::uint32_t>(*number);
    const std::uint32_t flags = word >> 8;
    if ((flags & ~std::uint32_t{kFlagsKnown}) != 0) return std::nullopt;
    if (flags != 0 && (word & 0xFF) == 0) return std::nullopt;
    return static_cast<std::uint16_t>(word);
}

HotkeyRegistration registrationOf(std::uint16_t word) {
    const std::uint32_t flags = word >> 8;
    HotkeyRegistration key{.modifiers = kModNoRepeat, .virtualKey = word & 0xFFU};
    if ((flags & kShift) != 0) key.modifiers |= kModShift;
    if ((flags & kControl) != 0) key.modifiers |= kModControl;
    if ((flags & kAlt) != 0) key.modifiers |= kModAlt;
    return key;
}

std::string unkeyKeyText(std::uint16_t word) {
    const std::uint32_t flags = word >> 8;
    std::string text;
    if ((flags & kControl) != 0) text += "Ctrl+";
    if ((flags & kShift) != 0) text += "Shift+";
    if ((flags & kAlt) != 0) text += "Alt+";
    appendKeyName(text, word & 0xFFU);
    return text;
}

void UnkeyHotkey::load() noexcept {
    try {
        const std::string stored = readSetting(store_, settings::kUnkeyKey);
        const std::optional<std::uint16_t> word = unkeyKeyFromText(stored);
        if (!word) logNotUnderstood(log_, eventText_, settings::kUnkeyKey, stored, "no unkey hotkey");
        word_ = word.value_or(0);
    } catch (const std::exception& failure) {
        eventText_.assign("unkey hotkey not read: ");
        appendFailure(eventText_, failure);
        log_.add(eventText_);
        return;
    } catch (...) {
        return;
    }
    if (word_ != 0) apply();
}

std::string UnkeyHotkey::choose(std::uint16_t word) noexcept {
    word_ = word;
    storeChoice(store_, log_, settings::kUnkeyKey, word);
    return apply();
}

std::string UnkeyHotkey::apply() noexcept {
    window_.unregisterHotkey();
    if (word_ == 0) {
        log_.add("unkey hotkey: none");
        return {};
    }
    // Out of memory, the key stays as the system left it.
    std::string problem;
    logMade(log_, eventText_, [&] {
        eventText_.assign("unkey hotkey ").append(unkeyKeyText(word_));
        try {
            window_.registerHotkey(registrationOf(word_));
            eventText_ += ": registered";
        } catch (const std::exception& failure) {
            appendFailure(problem, failure);
            eventText_.append(": not registered, zelt goes on without it: ").append(problem);
        } catch (...) {
            problem = "not registered";
            eventText_ += ": not registered, zelt goes on without it";
        }
    });
    return problem;
}

}  // namespace zelt
