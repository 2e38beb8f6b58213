#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/call_log.h"
#include "hostlink/host_link.h"
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
    std::vector<bool> onTopCalls;
    std::function<void()> onDestroy;  // tests wire MainForm::windowDestroyed here

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
    void setOnTop(bool onTop) override {
        log_.call("setOnTop", onTop ? "1" : "0");
        onTopCalls.push_back(onTop);
    }
    void destroy() override {
        log_.call("destroy");
        destroyed = true;
        if (onDestroy) onDestroy();
    }

  private:
    CallLog& log_;
};

// The host link as start-up uses it: registering and hooking are recorded.
class FakeHostLink : public HostLink {
  public:
    explicit FakeHostLink(CallLog& log) : log_(log) {}
    void registerMessage() override { log_.call("registerMessage"); }
    void hookWindow() override { log_.call("hookWindow"); }

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
