#include "app/logged_platform.h"

#include <exception>

#include "app/event_text.h"

namespace zelt {

void LoggedSettingsStore::save(std::string_view application, std::string_view section, std::string_view key,
                               std::string_view text) {
    std::string where;
    where.append(section).append("/").append(key).append(" = \"").append(text).append("\"");
    try {
        store_.save(application, section, key, text);
    } catch (const std::exception& failure) {
        std::string event = "could not store " + where + ": ";
        appendFailure(event, failure);
        log_.add(event);
        throw;
    }
    log_.add("stored " + where);
}

void LoggedMessageDialog::show(const std::string& text) {
    log_.add("message box: " + text);
    messages_.show(text);
}

}  // namespace zelt
