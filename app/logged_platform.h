#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/event_log.h"
#include "settings/settings_store.h"
#include "ui/window_system.h"

namespace zelt {

// The store and the message box as MainForm's reactions use them, each operation passed on
// unchanged, with the operator's record of it in the event log: every value stored, every message
// box shown. Failures are logged and passed on as they came. (The radio line logs its port.)

class LoggedSettingsStore final : public SettingsStore {
  public:
    LoggedSettingsStore(SettingsStore& store, EventLog& log) : store_(store), log_(log) {}

    std::string read(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view defaultText) override {
        return store_.read(application, section, key, defaultText);
    }
    void save(std::string_view application, std::string_view section, std::string_view key,
              std::string_view text) override;

  private:
    SettingsStore& store_;
    EventLog& log_;
};

class LoggedMessageDialog final : public MessageDialog {
  public:
    LoggedMessageDialog(MessageDialog& messages, EventLog& log) : messages_(messages), log_(log) {}
    void show(const std::string& text) override;

  private:
    MessageDialog& messages_;
    EventLog& log_;
};

}  // namespace zelt
