#pragma once

#include <cmath>

namespace zelt {

// A place in twips, from the top-left corner of the window's client area.
struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    bool operator==(const TwipsRect&) const = default;
};

}  // namespace zelt

namespace zelt::layout {

// The window as designed, in twips (kTwipsPerInch to the inch, 15 to a pixel at 96 dpi).
inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr float kDesignedClientWidth = 4005;
inline constexpr float kClientHeight = 1605;

inline constexpr TwipsRect kPortList{1560, 240, 1215, 315};
inline constexpr TwipsRect kLineSettingsBox{1560, 840, 2295, 285};
inline constexpr TwipsRect kPortLabel{1560, 0, 690, 195};
inline constexpr TwipsRect kSettingsLabel{1560, 600, 1515, 195};
inline constexpr TwipsRect kRunMinimizedBox{1560, 1200, 1335, 255};
inline constexpr TwipsRect kPanelButton{105, 1080, 975, 375};
inline constexpr TwipsRect kOnTopBox{3120, 1200, 615, 255};
// The indicator's click target lies exactly over it.
inline constexpr TwipsRect kIndicator{285, 240, 615, 495};

inline constexpr const char* kCaption = "DALMOR ZELT V3";
inline constexpr const char* kMoreCaption = "&More>>";
inline constexpr const char* kLessCaption = "&Less<<";

// Outer width with the panel hidden: panelButton centred, with its left margin on either side.
inline float collapsedOuterWidth(const TwipsRect& panelButton, float frameWidth) {
    return static_cast<float>(2.0 * panelButton.left + panelButton.width + frameWidth);
}

// Outer width with the panel shown: lineSettingsBox's right edge plus a margin of one frame width.
inline float expandedOuterWidth(const TwipsRect& lineSettingsBox, float frameWidth) {
    return static_cast<float>((double{lineSettingsBox.width} + lineSettingsBox.left) +
                              (double{frameWidth} + frameWidth));
}

// Twips to device pixels at the given dots per inch, rounded to the nearest pixel.
inline int twipsToPixels(float twips, int dpi) {
    return static_cast<int>(std::lround(double{twips} * dpi / kTwipsPerInch));
}

inline float pixelsToTwips(int pixels, int dpi) {
    return static_cast<float>(pixels * kTwipsPerInch / dpi);
}

}  // namespace zelt::layout
