#pragma once

namespace zelt {

// The program's button on the taskbar, where a minimized or covered window is still seen.
class TaskbarButton {
  public:
    virtual ~TaskbarButton() = default;
    // Windows made the button, or made it again (the taskbar restarted): the taskbar is reached
    // afresh. Throws Failure where there is no taskbar to reach.
    virtual void connect() = 0;
    // Puts the transmit mark on the button (true) or takes it off. Throws Failure when the
    // taskbar refuses; does nothing before a connect that succeeded.
    virtual void markTransmitting(bool transmitting) = 0;
};

}  // namespace zelt
