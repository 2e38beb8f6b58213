#pragma once

#include <map>
#include <string>
#include <tuple>

#include "fakes/call_log.h"
#include "settings/settings_store.h"

namespace zelt::testing {

// An in-memory per-user store. Fails reads or saves when the log is told to ("read", "save"), or
// only for one key ("read:Win/Min").
class FakeSettingsStore : public SettingsStore {
  public:
    explicit FakeSettingsStore(CallLog& log) : log_(log) {}

    std::map<std::tuple<std::string, std::string, std::string>, std::string> values;

    std::string read(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view defaultText) override {
        const std::string where = std::string(section) + "/" + std::string(key);
        log_.call("read", where);
        log_.call("read:" + where);
        auto found = values.find({std::string(application), std::string(section), std::string(key)});
        return found == values.end() ? std::string(defaultText) : found->second;
    }

    void save(std::string_view application, std::string_view section, std::string_view key,
              std::string_view text) override {
        const std::string where = std::string(section) + "/" + std::string(key);
        log_.call("save", where + "=" + std::string(text));
        log_.call("save:" + where);
        values[{std::string(application), std::string(section), std::string(key)}] = std::string(text);
    }

    // Helpers for tests, always under the application "ZELT".
    void put(const std::string& section, const std::string& key, const std::string& text) {
        values[{"ZELT", section, key}] = text;
    }
    bool has(const std::string& section, const std::string& key) const {
        return values.count({"ZELT", section, key}) != 0;
    }
    std::string get(const std::string& section, const std::string& key) const {
        return values.at({"ZELT", section, key});
    }

  private:
    CallLog& log_;
};

}  // namespace zelt::testing
