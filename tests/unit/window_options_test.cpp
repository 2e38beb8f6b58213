#include <gtest/gtest.h>

#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

class WindowOptionsTest : public FormFixture {
  protected:
    WindowOptionsTest() {
        startUp();
        window.windowPosCalls.clear();
        form.Command1.userClick();  // expand, so the operator can reach both boxes
    }
};

TEST_F(WindowOptionsTest, TopIsStoredAndAppliedAtOnce) {
    form.Check2.userClick();
    EXPECT_EQ(store.get("Win", "Top"), "1");
    ASSERT_EQ(window.windowPosCalls.size(), 1U);
    EXPECT_EQ(window.windowPosCalls[0], (std::pair<std::intptr_t, std::uint32_t>{-1, 3}));

    form.Check2.userClick();
    EXPECT_EQ(store.get("Win", "Top"), "0");
    EXPECT_EQ(window.windowPosCalls.back(), (std::pair<std::intptr_t, std::uint32_t>{-2, 3}));
}

TEST_F(WindowOptionsTest, RunMinimizedIsStoredAndChangesNothingOnScreen) {
    form.Check1.userClick();
    EXPECT_EQ(store.get("Win", "Min"), "1");
    EXPECT_FALSE(window.minimized);
    EXPECT_TRUE(window.windowPosCalls.empty());
    form.Check1.userClick();
    EXPECT_EQ(store.get("Win", "Min"), "0");
}

TEST_F(WindowOptionsTest, ClickOnAGreyedBoxUnchecksIt) {
    form.Check2.setValue(2);
    EXPECT_EQ(window.windowPosCalls.back().first, -2);
    form.Check2.userClick();
    EXPECT_EQ(form.Check2.value(), 0);
    EXPECT_EQ(store.get("Win", "Top"), "0");
}

TEST_F(WindowOptionsTest, FailedSaveReachesTheCallerBeforeTheWindowChanges) {
    log.failing.insert("save:Win/Top");
    EXPECT_THROW(form.Check2.userClick(), Failure);
    EXPECT_TRUE(window.windowPosCalls.empty());
}

TEST_F(WindowOptionsTest, CheckValuesOutsideTheBoxesRangeAreRefused) {
    EXPECT_THROW(form.Check1.setValue(3), Failure);
    EXPECT_THROW(form.Check2.setValue(-1), Failure);
    EXPECT_EQ(form.Check1.value(), 0);
    EXPECT_FALSE(store.has("Win", "Min") && store.get("Win", "Min") != "0");
}

}  // namespace
}  // namespace zelt::testing
