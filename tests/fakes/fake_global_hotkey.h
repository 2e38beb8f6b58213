#pragma once

#include <optional>
#include <string>

#include "fakes/call_log.h"
#include "ui/global_hotkey.h"

namespace zelt::testing {

// The system's hotkey table for one window: what is registered now. "registerKey" fails when the
// log is told to, as for a combination another program holds.
class FakeGlobalHotkey : public GlobalHotkey {
  public:
    explicit FakeGlobalHotkey(CallLog& log) : log_(log) {}
    std::optional<HotkeyRegistration> registered;

    void registerKey(HotkeyRegistration key) override {
        log_.call("registerKey", std::to_string(key.modifiers) + "," + std::to_string(key.virtualKey));
        registered = key;
    }
    void unregisterKey() noexcept override { registered.reset(); }

  private:
    CallLog& log_;
};

}  // namespace zelt::testing
