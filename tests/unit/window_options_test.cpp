#include <gtest/gtest.h>

#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

class WindowOptionsTest : public FormFixture {
  protected:
    WindowOptionsTest() {
        startUp();
        window.onTopCalls.clear();
        form.panelButton.userClick();  // expand, so the operator can reach both boxes
    }
};

TEST_F(WindowOptionsTest, TopIsStoredAndAppliedAtOnce) {
    form.onTopBox.userClick();
    EXPECT_EQ(store.get("Win", "Top"), "1");
    ASSERT_EQ(window.onTopCalls.size(), 1U);
    EXPECT_TRUE(window.onTopCalls[0]);

    form.onTopBox.userClick();
    EXPECT_EQ(store.get("Win", "Top"), "0");
    EXPECT_FALSE(window.onTopCalls.back());
}

TEST_F(WindowOptionsTest, RunMinimizedIsStoredAndChangesNothingOnScreen) {
    form.runMinimizedBox.userClick();
    EXPECT_EQ(store.get("Win", "Min"), "1");
    EXPECT_FALSE(window.minimized);
    EXPECT_TRUE(window.onTopCalls.empty());
    form.runMinimizedBox.userClick();
    EXPECT_EQ(store.get("Win", "Min"), "0");
}

TEST_F(WindowOptionsTest, ClickOnAGreyedBoxUnchecksIt) {
    form.onTopBox.setValue(2);
    EXPECT_FALSE(window.onTopCalls.back());
    form.onTopBox.userClick();
    EXPECT_EQ(form.onTopBox.value(), 0);
    EXPECT_EQ(store.get("Win", "Top"), "0");
}

TEST_F(WindowOptionsTest, FailedSaveReachesTheCallerBeforeTheWindowChanges) {
    log.failing.insert("save:Win/Top");
    EXPECT_THROW(form.onTopBox.userClick(), Failure);
    EXPECT_TRUE(window.onTopCalls.empty());
}

TEST_F(WindowOptionsTest, CheckValuesOutsideTheBoxesRangeAreRefused) {
    EXPECT_THROW(form.runMinimizedBox.setValue(3), Failure);
    EXPECT_THROW(form.onTopBox.setValue(-1), Failure);
    EXPECT_EQ(form.runMinimizedBox.value(), 0);
    EXPECT_FALSE(store.has("Win", "Min") && store.get("Win", "Min") != "0");
}

}  // namespace
}  // namespace zelt::testing
