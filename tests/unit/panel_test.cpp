#include <gtest/gtest.h>

#include "fakes/form_fixture.h"
#include "ui/layout.h"

namespace zelt::testing {
namespace {

class PanelTest : public FormFixture {
  protected:
    PanelTest() { startUp(); }
    bool panelEnabled(bool expected) const {
        return form.Combo1.enabled() == expected && form.Text1.enabled() == expected &&
               form.Check1.enabled() == expected && form.Check2.enabled() == expected;
    }
};

TEST_F(PanelTest, StartsCollapsedWithOnlyTheTopBoxEnabled) {
    EXPECT_EQ(form.Command1.caption(), "&More>>");
    EXPECT_FALSE(form.Combo1.enabled());
    EXPECT_FALSE(form.Text1.enabled());
    EXPECT_FALSE(form.Check1.enabled());
    EXPECT_TRUE(form.Check2.enabled());
    EXPECT_FLOAT_EQ(window.client, 1185);
}

TEST_F(PanelTest, ExpandsAndCollapsesBackToTheStartWidth) {
    const float startWidth = window.outer;
    form.Command1.userClick();
    EXPECT_EQ(form.Command1.caption(), "&Less<<");
    EXPECT_TRUE(panelEnabled(true));
    EXPECT_FLOAT_EQ(window.outer, (2295 + 1560) + 2 * 120);
    EXPECT_FLOAT_EQ(window.client, 1560 + 2295 + 120);  // a frame width of margin right of Text1

    form.Command1.userClick();
    EXPECT_EQ(form.Command1.caption(), "&More>>");
    EXPECT_TRUE(panelEnabled(false));
    EXPECT_EQ(window.outer, startWidth);
}

TEST_F(PanelTest, AnyOtherCaptionCollapses) {
    form.Command1.setCaption("&more>>");
    form.Command1.userClick();
    EXPECT_EQ(form.Command1.caption(), "&More>>");
    EXPECT_TRUE(panelEnabled(false));
}

TEST_F(PanelTest, WidthsAreComputedInSinglePrecisionFromFractionalFrames) {
    EXPECT_FLOAT_EQ(layout::collapsedOuterWidth(layout::kCommand1, 97.5F), 1282.5F);
    EXPECT_FLOAT_EQ(layout::expandedOuterWidth(layout::kText1, 97.5F), 4050.0F);
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
