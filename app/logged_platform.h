#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/event_log.h"
#include "port/serial_port.h"
#include "settings/settings_store.h"
#include "ui/window_system.h"

namespace zelt {

// The platform as MainForm's reactions use it, each operation passed on unchanged, with the
// operator's record of it in the event log: every port open and close with its outcome, every
// value stored, every message box shown. Failures are logged and passed on as they came.

class LoggedSerialPort final : public SerialPort {
  public:
    LoggedSerialPort(SerialPort& port, EventLog& log) : port_(port), log_(log) {}

    void setCommPort(std::int16_t number) override { port_.setCommPort(number); }
    std::int16_t commPort() const override { return port_.commPort(); }
    void setSettings(const std::string& settings) override { port_.setSettings(settings); }
    std::string settings() const override { return port_.settings(); }
    void setControlLines(bool dtrHigh, bool rtsHigh) override { port_.setControlLines(dtrHigh, rtsHigh); }
    bool portOpen() const override { return port_.portOpen(); }
    void setPortOpen(bool open) override;
    std::size_t output(const std::string& bytes) override { return port_.output(bytes); }
    std::vector<std::int16_t> presentPorts() const override { return port_.presentPorts(); }

  private:
    SerialPort& port_;
    EventLog& log_;
};

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
