#pragma once

#include <string>

namespace zelt {

// What the operator sees and hears besides the main window's controls.
class OperatorUi {
  public:
    virtual ~OperatorUi() = default;
    // The system's warning sound. Never fails.
    virtual void beep() noexcept = 0;
    // Opens the event log window, or brings it to the front when it is open.
    virtual void showEventLog() = 0;
    // A modal box titled "About zelt" with the text and OK; returns once dismissed.
    virtual void showAbout(const std::string& text) = 0;
};

}  // namespace zelt
