#pragma once

#include <windows.h>

#include <memory>

#include "app/win32_form_view.h"

namespace zelt {

class MainForm;

namespace win32 {

class SystemMenu;

// MainForm's top-level window: a fixed frame with caption, system menu and minimize box, holding the
// controls of FormView. Its procedure is one switch: each message it handles is one call into the
// form, the view or the system menu. It handles closing, focus and keyboard navigation as a dialog
// would, and keeps the size the program gives it: no show command maximizes it.
class FormWindow {
  public:
    static constexpr const wchar_t* kClassName = L"ZeltMainForm";

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
    // Posted on a maximize, which the fixed-size window undoes.
    static constexpr UINT kUnmaximizeMessage = WM_APP + 3;

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void menuOrEnter(WPARAM wParam);
    bool activated(WPARAM wParam);
    void keepDesignedSize(MINMAXINFO& info) const;
    void deviceChanged(WPARAM event, LPARAM data);
    void powerChanged(WPARAM event);
    void close();
    void destroyed();

    HWND hwnd_ = nullptr;
    MainForm* form_ = nullptr;
    std::unique_ptr<FormView> view_;
    bool quitOnDestroy_ = true;
    SystemMenu* systemMenu_ = nullptr;
};

}  // namespace win32
}  // namespace zelt
