#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "common/event_log.h"
#include "settings/settings_store.h"

namespace zelt {

// Pieces of the event log's texts, appended to a string the caller reuses, so that logging a
// request costs no allocation once the string has grown to size.

void appendNumber(std::string& out, std::int64_t number);
// "00 00 00 01 0F": each byte as two upper-case hex digits, separated by blanks.
void appendHex(std::string& out, std::string_view bytes);
// The failure's text, with its code when the text does not already name it: a Windows failure
// reads "what: the system's message (Windows error N)", the program's own "what [code N]".
void appendFailure(std::string& out, const std::exception& failure);

// Logs the text `make` makes in room, reusing its space; out of memory, only the event is lost.
template <typename Make>
void logMade(EventLog& log, std::string& room, Make&& make) noexcept {
    try {
        make();
        log.add(room);
    } catch (...) {
        // The event is lost, not what it tells of.
    }
}

// Logs "what: wrote 00 00 00 00 0F", or "what: failed: why" with the bytes that went out before it
// failed ("; wrote ..."), or "what: wrote nothing", made in room.
void logOutcome(EventLog& log, std::string& room, std::string_view what, std::string_view written,
                const std::exception* failure) noexcept;

// Logs "stored Win/TxLimit = "60.5" not understood: transmit time limit off" at start-up, for an
// optional stored value that means nothing, so that an operator who typed it learns why it does nothing.
void logNotUnderstood(EventLog& log, std::string& room, const SettingKey& key, std::string_view stored,
                      std::string_view consequence) noexcept;

// Stores the text under the key, with the operator's record of it in the log: "stored
// Com/ComPort = "2"", or "could not store Com/ComPort = "2": why", and the failure passed on.
void storeSetting(SettingsStore& store, EventLog& log, const SettingKey& key, std::string_view text);
// An operator's choice, stored as its number: it holds for this run even if the store refuses it (logged).
void storeChoice(SettingsStore& store, EventLog& log, const SettingKey& key, std::uint32_t number) noexcept;

}  // namespace zelt
