#pragma once

#include <cstdint>
#include <string>

namespace zelt {

// MainForm's own window as the core sees it. Widths are in twips; they always refer to the window's
// normal (restored) size, even while it is minimized. Operations throw Failure when they fail.
class WindowSystem {
  public:
    virtual ~WindowSystem() = default;

    virtual float clientWidth() = 0;
    virtual float outerWidth() = 0;
    virtual void setOuterWidth(float twips) = 0;

    virtual void setMinimized() = 0;
    // In the topmost band (above every ordinary window) or out of it; place and size stay.
    virtual void setOnTop(bool onTop) = 0;

    // Closes the window; the program ends once it is gone.
    virtual void destroy() = 0;
};

// A modal message box with the text, an OK button only, no icon and no title of the program's own.
// Returns when the operator has dismissed it.
class MessageDialog {
  public:
    virtual ~MessageDialog() = default;
    virtual void show(const std::string& text) = 0;
};

}  // namespace zelt
