#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "app/win32_form_view.h"

namespace zelt {

class MainForm;

namespace win32 {

class SystemMenu;

// MainForm's top-level window: a fixed frame with caption, system menu and minimize box, holding the
// controls of FormView. It handles closing, focus and keyboard navigation as a dialog would.
class FormWindow {
  public:
    FormWindow() = default;
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    static void registerClass(HINSTANCE instance);

    // Creates the window hidden; nothing is on it until attach.
    HWND create(HINSTANCE instance);
    // Puts MainForm's controls on the window.
    void attach(MainForm& form);

    FormView* view() const { return view_.get(); }
    // Whether the end of the window ends the message loop (tests keep theirs running).
    void setQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }
    // The extras in the system menu, which the window hands the menu's messages.
    void setSystemMenu(SystemMenu* menu) { systemMenu_ = menu; }

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> operatorInput(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> layout(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> systemEvent(UINT message, WPARAM wParam, LPARAM lParam);
    void deviceChanged(WPARAM event, LPARAM data);
    std::optional<LRESULT> lifetime(UINT message);
    void pressFocusedButton();
    bool trackFocus(UINT message, WPARAM wParam, LPARAM lParam);
    void close();

    HWND hwnd_ = nullptr;
    MainForm* form_ = nullptr;
    std::unique_ptr<FormView> view_;
    bool quitOnDestroy_ = true;
    SystemMenu* systemMenu_ = nullptr;
};

}  // namespace win32
}  // namespace zelt
