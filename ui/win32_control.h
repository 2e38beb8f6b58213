#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace zelt::win32 {

// What every control is made with. Its place comes later, from place().
struct ControlArgs {
    HWND parent = nullptr;
    int id = 0;  // the id its notifications carry
    std::string text;
    HFONT font = nullptr;
};

// A control on a form: one child window with its text, enabled state, font and place, and the
// notifications (WM_COMMAND) its parent passes back to it. The parent's window owns the child
// window and destroys it. A notification that the program's own writing to the control causes is
// no input; each kind tells them apart with writing().
class Control {
  public:
    Control() = default;
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hwnd() const { return hwnd_; }

    // Only a real change is written: rewriting an edit's own text would move its caret.
    void setText(const std::string& text);
    bool enabled() const;
    void setEnabled(bool enabled);
    void setFont(HFONT font);
    // Pixels in the parent's client area at the given dpi; a place already given is not given again.
    void place(const RECT& pixels, int dpi);

    // A notification from this control, as its parent's WM_COMMAND carries it.
    virtual void notified(WORD /*code*/) {}

  protected:
    void create(const wchar_t* className, DWORD style, DWORD exStyle, const ControlArgs& args);
    bool writing() const { return writing_ > 0; }
    // Puts the window at the place given; a kind whose window is not simply its place says how.
    virtual void move(const RECT& pixels, int dpi);
    // Gives the last place again, once something that decides the window's size has changed.
    void placeAgain();
    // The caption or the font changed.
    virtual void lookChanged() {}

    // Held while the program writes to the control.
    class Writing {
      public:
        explicit Writing(Control& control) : control_(control) { ++control_.writing_; }
        ~Writing() { --control_.writing_; }
        Writing(const Writing&) = delete;
        Writing& operator=(const Writing&) = delete;

      private:
        Control& control_;
    };

  private:
    HWND hwnd_ = nullptr;
    int writing_ = 0;
    std::optional<RECT> placed_;
    int placedDpi_ = 0;
};

inline constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE;
// Every control that takes the focus starts its own group, so the arrow keys stay within it.
inline constexpr DWORD kTabStopStyle = WS_TABSTOP | WS_GROUP;

}  // namespace zelt::win32
