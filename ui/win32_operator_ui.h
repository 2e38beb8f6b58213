#pragma once

#include <windows.h>

#include <string>

#include "common/event_log.h"
#include "ui/operator_ui.h"
#include "ui/win32_event_log_window.h"

namespace zelt::win32 {

// The sound, the event log window and the About box, all owned by MainForm's window.
class OperatorUi final : public zelt::OperatorUi {
  public:
    OperatorUi(HWND owner, EventLog& log) : owner_(owner), logWindow_(log, owner) {}

    void beep() noexcept override;
    void showEventLog() override;
    void showAbout(const std::string& text) override;

    const EventLogWindow& logWindow() const { return logWindow_; }

  private:
    HWND owner_;
    EventLogWindow logWindow_;
};

}  // namespace zelt::win32
