#include <gtest/gtest.h>

#include "app/window.h"
#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

class PanelTest : public FormFixture {
  protected:
    PanelTest() { startUp(); }
    // The window shows the panel's controls enabled exactly while the form holds it open.
    bool panelEnabled(bool expected) const {
        return window.panelOpen == expected && form.panelOpen() == expected;
    }
};

TEST_F(PanelTest, StartsCollapsed) {
    EXPECT_TRUE(panelEnabled(false));
    EXPECT_FLOAT_EQ(window.client, 1185);
}

TEST_F(PanelTest, ExpandsAndCollapsesBackToTheStartWidth) {
    const float startWidth = window.outer;
    form.panelButtonClicked();
    EXPECT_TRUE(form.panelOpen());
    EXPECT_TRUE(panelEnabled(true));
    EXPECT_FLOAT_EQ(window.outer, (2295 + 1560) + 2 * 120);
    EXPECT_FLOAT_EQ(window.client, 1560 + 2295 + 120);  // a frame width of margin right of lineSettingsBox

    form.panelButtonClicked();
    EXPECT_FALSE(form.panelOpen());
    EXPECT_TRUE(panelEnabled(false));
    EXPECT_EQ(window.outer, startWidth);
}

TEST_F(PanelTest, WidthsAreComputedInSinglePrecisionFromFractionalFrames) {
    EXPECT_FLOAT_EQ(layout::collapsedOuterWidth(layout::kPanelButton, 97.5F), 1282.5F);
    EXPECT_FLOAT_EQ(layout::expandedOuterWidth(layout::kLineSettingsBox, 97.5F), 4050.0F);
}

TEST(TwipsTest, FifteenTwipsAPixelAt96Dpi) {
    EXPECT_EQ(layout::twipsToPixels(1185, 96), 79);
    EXPECT_EQ(layout::twipsToPixels(1605, 96), 107);
    EXPECT_EQ(layout::twipsToPixels(1605, 144), 161);  // 160.5 rounds up
    EXPECT_EQ(layout::twipsToPixels(615, 192), 82);
    EXPECT_FLOAT_EQ(layout::pixelsToTwips(8, 96), 120);
}

}  // namespace
}  // namespace zelt::testing
