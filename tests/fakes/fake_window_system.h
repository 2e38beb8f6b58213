#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/call_log.h"
#include "ui/window_system.h"

namespace zelt::testing {

// MainForm's window without a screen: widths in twips, the topmost band, the minimized state.
class FakeWindowSystem : public WindowSystem {
  public:
    explicit FakeWindowSystem(CallLog& log) : log_(log) {}

    float outer = 4005 + 120;  // the designed client width plus a frame of 120 twips
    float client = 4005;
    bool minimized = false;
    bool destroyed = false;
    std::vector<std::pair<std::intptr_t, std::uint32_t>> windowPosCalls;
    std::function<void()> onDestroy;  // tests wire MainForm::windowDestroyed here

    std::uint32_t registerMessage(const std::string& name) override {
        log_.call("registerMessage", name);
        return 0xC123;
    }
    std::uintptr_t hookWindow() override {
        log_.call("hookWindow");
        return 0x1234'5678'9ABCULL;
    }
    float clientWidth() override {
        log_.call("clientWidth");
        return client;
    }
    float outerWidth() override {
        log_.call("outerWidth");
        return outer;
    }
    void setOuterWidth(float twips) override {
        log_.call("setOuterWidth", std::to_string(twips));
        client += twips - outer;
        outer = twips;
    }
    void setMinimized() override {
        log_.call("setMinimized");
        minimized = true;
    }
    void setWindowPos(std::intptr_t insertAfter, std::uint32_t flags) override {
        log_.call("setWindowPos", std::to_string(insertAfter) + "," + std::to_string(flags));
        windowPosCalls.emplace_back(insertAfter, flags);
    }
    void destroy() override {
        log_.call("destroy");
        destroyed = true;
        if (onDestroy) onDestroy();
    }

  private:
    CallLog& log_;
};

// Records each message box; onShow runs while the box is "open", as the operator or the host might.
class FakeMessageDialog : public MessageDialog {
  public:
    explicit FakeMessageDialog(CallLog& log) : log_(log) {}

    std::vector<std::string> shown;
    std::function<void()> onShow;

    void show(const std::string& text) override {
        log_.call("messageBox", text);
        shown.push_back(text);
        if (onShow) onShow();
    }

  private:
    CallLog& log_;
};

}  // namespace zelt::testing
