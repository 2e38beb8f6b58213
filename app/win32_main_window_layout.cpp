// MainWindow's sizes and places: the controls in twips at the window's dpi, the frame's widths of
// the normal (restored) window, minimized or not, and a move to a screen of another dpi.
#include <algorithm>
#include <array>
#include <utility>

#include "app/main_form.h"
#include "app/win32_main_window.h"
#include "common/win32_text.h"
#include "ui/win32_dpi.h"

namespace zelt::win32 {
namespace {

// The open list's own border, a pixel above and below its entries.
constexpr int kListBorderPixels = 2;
// The field's height is corrected this many times at most: one step is enough where the system
// reports the selection height it was given, one more where it rounds it.
constexpr int kFieldHeightAttempts = 3;
// CB_GETITEMHEIGHT and CB_SETITEMHEIGHT address the selection field rather than the list's entries.
constexpr auto kSelectionField = static_cast<WPARAM>(-1);

// The collapsed window is narrower than the system's smallest captioned window.
constexpr POINT kSmallestTrackSize{1, 1};

// The designed places, by id.
constexpr std::array<TwipsRect, MainWindow::kControlCount> kPlaces{
    layout::kPortList,        layout::kLineSettingsBox, layout::kPortLabel, layout::kSettingsLabel,
    layout::kRunMinimizedBox, layout::kPanelButton,     layout::kOnTopBox,  layout::kIndicator,
};

RECT toPixels(const TwipsRect& place, int dpi) {
    const int left = layout::twipsToPixels(place.left, dpi);
    const int top = layout::twipsToPixels(place.top, dpi);
    return RECT{left, top, left + layout::twipsToPixels(place.width, dpi),
                top + layout::twipsToPixels(place.height, dpi)};
}

WINDOWPLACEMENT placementOf(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(window, &placement) == FALSE) throwLastError("GetWindowPlacement");
    return placement;
}

}  // namespace

// A label's caption is never cut: short of room, the label grows to the right, keeping left, top and height.
void MainWindow::place(Id id) {
    HWND hwnd = control(id);
    if (hwnd == nullptr) return;
    const Writing writing(*this, hwnd);
    RECT pixels = toPixels(kPlaces[index(id)], dpi_);
    if (id == kPortList) {
        placePortList(pixels);
        return;
    }
    if (id == kPortLabel || id == kSettingsLabel) {
        pixels.right = std::max(pixels.right, pixels.left + captionExtent(hwnd).cx);
    }
    MoveWindow(hwnd, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, TRUE);
}

void MainWindow::placeControls() {
    for (int id = kPortList; id <= kIndicator; ++id) place(static_cast<Id>(id));
}

// The place is the closed field's; the window also holds the open list's room. The field follows the
// selection height, but systems differ in what CB_GETITEMHEIGHT reports back: what was asked is kept.
void MainWindow::placePortList(const RECT& field) {
    HWND list = control(kPortList);
    const int fieldHeight = field.bottom - field.top;
    const auto count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    const auto itemHeight = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, 0, 0));
    const int shownItems = std::clamp(count, 1, kVisiblePorts);
    const int listRoom = shownItems * (itemHeight > 0 ? itemHeight : fieldHeight) +
                         2 * systemMetric(SM_CYEDGE, dpi_) + kListBorderPixels;
    MoveWindow(list, field.left, field.top, field.right - field.left, fieldHeight + listRoom, TRUE);

    auto asked = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, kSelectionField, 0));
    for (int attempt = 0; attempt < kFieldHeightAttempts; ++attempt) {
        RECT shown{};
        GetWindowRect(list, &shown);
        const int difference = fieldHeight - (shown.bottom - shown.top);
        if (difference == 0 || asked + difference <= 0) break;
        asked += difference;
        SendMessageW(list, CB_SETITEMHEIGHT, kSelectionField, asked);
    }
}

SIZE MainWindow::outerSize(float clientWidthTwips, int dpi) const {
    const SIZE frame = frameSize(hwnd_, dpi);
    return SIZE{layout::twipsToPixels(clientWidthTwips, dpi) + frame.cx,
                layout::twipsToPixels(layout::kClientHeight, dpi) + frame.cy};
}

RECT MainWindow::normalRect() const {
    HWND hwnd = window("GetWindowRect");
    if (IsIconic(hwnd)) return placementOf(hwnd).rcNormalPosition;
    RECT rect{};
    if (GetWindowRect(hwnd, &rect) == FALSE) throwLastError("GetWindowRect");
    return rect;
}

// The one reading of the client width: while minimized, the normal window's less its frame.
float MainWindow::normalClientTwips() const {
    HWND hwnd = window("GetClientRect");
    if (IsIconic(hwnd)) {
        const RECT normal = normalRect();
        return layout::pixelsToTwips(normal.right - normal.left - frameSize(hwnd, dpi_).cx, dpi_);
    }
    RECT client{};
    if (GetClientRect(hwnd, &client) == FALSE) throwLastError("GetClientRect");
    return layout::pixelsToTwips(client.right - client.left, dpi_);
}

float MainWindow::frameWidth() {
    const RECT normal = normalRect();
    return layout::pixelsToTwips(normal.right - normal.left, dpi_) - normalClientTwips();
}

void MainWindow::setOuterWidth(float twips) {
    HWND hwnd = window("SetWindowPos");
    const int pixels = layout::twipsToPixels(twips, dpi_);
    if (IsIconic(hwnd)) {
        WINDOWPLACEMENT placement = placementOf(hwnd);
        placement.rcNormalPosition.right = placement.rcNormalPosition.left + pixels;
        placement.showCmd = SW_SHOWMINNOACTIVE;  // stay minimized, and leave the focus where it is
        if (SetWindowPlacement(hwnd, &placement) == FALSE) throwLastError("SetWindowPlacement");
        return;
    }
    RECT outer{};
    if (GetWindowRect(hwnd, &outer) == FALSE) throwLastError("GetWindowRect");
    if (SetWindowPos(hwnd, nullptr, 0, 0, pixels, outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) == FALSE) {
        throwLastError("SetWindowPos");
    }
}

void MainWindow::setMinimized() {
    if (!shown_) {
        startMinimized_ = true;  // taken at the first show
        return;
    }
    ShowWindow(window("ShowWindow"), SW_MINIMIZE);
}

void MainWindow::setOnTop(bool onTop) {
    // Place and size stay; the result is ignored, as a window that cannot change band stays put.
    SetWindowPos(hwnd_, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void MainWindow::showFirst(int showCommand) {
    shown_ = true;
    // A shortcut set to "Maximized" must not blow the fixed-size window up to the whole screen.
    if (showCommand == SW_SHOWMAXIMIZED || showCommand == SW_MAXIMIZE) showCommand = SW_SHOWNORMAL;
    ShowWindow(hwnd_, startMinimized_ ? SW_SHOWMINNOACTIVE : showCommand);
    UpdateWindow(hwnd_);
}

// The window's size is the program's alone. A maximize (a shortcut set to "Maximized" makes the first
// show one) keeps the window's size and place, and WM_SIZE undoes it. The largest tracking size stays
// the system's: it also bounds the program's own resizing when the panel opens.
void MainWindow::keepDesignedSize(MINMAXINFO& info) const {
    info.ptMinTrackSize = kSmallestTrackSize;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(hwnd_, &placement) == FALSE) return;
    // Both in workspace coordinates, as the maximized place is.
    const RECT& normal = placement.rcNormalPosition;
    info.ptMaxSize = POINT{normal.right - normal.left, normal.bottom - normal.top};
    info.ptMaxPosition = POINT{normal.left, normal.top};
}

// Asked before Windows suggests a rectangle for a new dpi: the twips' size, so the suggestion is exactly it.
SIZE MainWindow::scaledSize(int dpi) const noexcept {
    try {
        return outerSize(normalClientTwips(), dpi);
    } catch (...) {
        return SIZE{0, 0};
    }
}

// New font, control places and window size, keeping the client width in twips.
void MainWindow::dpiChanged(int dpi, const RECT& suggested) noexcept {
    if (dpi <= 0 || dpi == dpi_) return;
    try {
        const float clientTwips = normalClientTwips();  // at the old dpi
        dpi_ = dpi;

        // The old font goes once no control uses it any more.
        const ScopedFont old = std::exchange(font_, dialogFont(dpi));
        for (HWND control : controls_) {
            const Writing writing(*this, control);
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
        }

        const SIZE size = outerSize(clientTwips, dpi);
        if (IsIconic(hwnd_)) {
            // Restored later, the window must come back at the new dpi's size.
            WINDOWPLACEMENT placement = placementOf(hwnd_);
            placement.rcNormalPosition.right = placement.rcNormalPosition.left + size.cx;
            placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + size.cy;
            placement.showCmd = SW_SHOWMINNOACTIVE;
            SetWindowPlacement(hwnd_, &placement);
        } else {
            // Where the system puts the window, as it suggests: it asked for our size first.
            SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        placeControls();
        InvalidateRect(hwnd_, nullptr, TRUE);
        // The frame's width in twips changes with the rounding of its pixels.
        form_->windowRescaled();
    } catch (...) {
        // Keeps the old layout; nothing may leave the window procedure.
    }
}

}  // namespace zelt::win32
