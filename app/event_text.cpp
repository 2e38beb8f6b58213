#include "app/event_text.h"

#include <charconv>

#include "common/failure.h"

namespace zelt {

void appendNumber(std::string& out, std::int64_t number) {
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), number);
    out.append(digits, result.ptr);
}

void appendHex(std::string& out, std::string_view bytes) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (i > 0) out += ' ';
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
}

void appendFailure(std::string& out, const std::exception& failure) {
    const std::string_view text = failure.what();
    out += text;
    const auto* known = dynamic_cast<const Failure*>(&failure);
    if (known != nullptr && text.find("(Windows error ") == std::string_view::npos) {
        out += " [code ";
        appendNumber(out, known->code());
        out += ']';
    }
}

void logOutcome(EventLog& log, std::string& room, std::string_view what, std::string_view written,
                const std::exception* failure) noexcept {
    logMade(log, room, [&] {
        room.assign(what);
        if (failure == nullptr) {
            room += written.empty() ? ": wrote nothing" : ": wrote ";
            appendHex(room, written);
        } else {
            room += ": failed: ";
            appendFailure(room, *failure);
            if (!written.empty()) {
                room += "; wrote ";
                appendHex(room, written);
            }
        }
    });
}

void logNotUnderstood(EventLog& log, std::string& room, const SettingKey& key, std::string_view stored,
                      std::string_view consequence) noexcept {
    logMade(log, room, [&] {
        room.assign("stored ").append(key.section).append("/").append(key.key).append(" = \"");
        room.append(stored).append("\" not understood: ").append(consequence);
    });
}

void storeSetting(SettingsStore& store, EventLog& log, const SettingKey& key, std::string_view text) {
    std::string where;
    where.append(key.section).append("/").append(key.key).append(" = \"").append(text).append("\"");
    try {
        saveSetting(store, key, text);
    } catch (const std::exception& failure) {
        std::string event = "could not store " + where + ": ";
        appendFailure(event, failure);
        log.add(event);
        throw;
    }
    log.add("stored " + where);
}

void storeChoice(SettingsStore& store, EventLog& log, const SettingKey& key, std::uint32_t number) noexcept {
    try {
        storeSetting(store, log, key, std::to_string(number));
    } catch (...) {
        // Logged by storeSetting on its way.
    }
}

}  // namespace zelt
