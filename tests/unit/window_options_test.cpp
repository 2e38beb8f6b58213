#include <gtest/gtest.h>

#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

class WindowOptionsTest : public FormFixture {
  protected:
    WindowOptionsTest() {
        startUp();
        window.onTopCalls.clear();
        form.panelButtonClicked();  // expand, so the operator can reach both boxes
    }
};

TEST_F(WindowOptionsTest, TopIsStoredAndAppliedAtOnce) {
    form.checkBoxClicked(CheckBox::OnTop);
    EXPECT_EQ(store.get("Win", "Top"), "1");
    ASSERT_EQ(window.onTopCalls.size(), 1U);
    EXPECT_TRUE(window.onTopCalls[0]);

    form.checkBoxClicked(CheckBox::OnTop);
    EXPECT_EQ(store.get("Win", "Top"), "0");
    EXPECT_FALSE(window.onTopCalls.back());
}

TEST_F(WindowOptionsTest, RunMinimizedIsStoredAndChangesNothingOnScreen) {
    form.checkBoxClicked(CheckBox::RunMinimized);
    EXPECT_EQ(store.get("Win", "Min"), "1");
    EXPECT_FALSE(window.minimized);
    EXPECT_TRUE(window.onTopCalls.empty());
    form.checkBoxClicked(CheckBox::RunMinimized);
    EXPECT_EQ(store.get("Win", "Min"), "0");
}

TEST_F(WindowOptionsTest, ClickOnAGreyedBoxUnchecksIt) {
    store.put("Win", "Top", "2");
    FakeWindow greyed{log};
    MainForm other{{port, store, greyed, events}};
    other.load();
    EXPECT_EQ(greyed.onTop, 2);
    EXPECT_FALSE(greyed.onTopCalls.back());
    other.checkBoxClicked(CheckBox::OnTop);
    EXPECT_EQ(other.check(CheckBox::OnTop), 0);
    EXPECT_EQ(greyed.onTop, 0);
    EXPECT_EQ(store.get("Win", "Top"), "0");
}

TEST_F(WindowOptionsTest, ClickChecksAClearBoxAndShowsIt) {
    form.checkBoxClicked(CheckBox::RunMinimized);
    EXPECT_EQ(form.check(CheckBox::RunMinimized), 1);
    EXPECT_EQ(window.runMinimized, 1);
}

TEST_F(WindowOptionsTest, FailedSaveEndsTheClickBeforeTheWindowChanges) {
    log.failing.insert("save:Win/Top");
    form.checkBoxClicked(CheckBox::OnTop);
    EXPECT_EQ(form.check(CheckBox::OnTop), 1);  // checked, as the box shows it
    EXPECT_TRUE(window.onTopCalls.empty());
}

TEST_F(WindowOptionsTest, StoredValuesOutsideTheBoxesRangeAreRefused) {
    store.put("Win", "Min", "3");
    store.put("Win", "Top", "-1");
    FakeWindow fresh{log};
    MainForm other{{port, store, fresh, events}};
    other.load();
    EXPECT_EQ(other.check(CheckBox::RunMinimized), 0);
    EXPECT_EQ(other.check(CheckBox::OnTop), 0);
    EXPECT_FALSE(fresh.minimized);
    // Refused before being stored again: the values stay as they were.
    EXPECT_EQ(store.get("Win", "Min"), "3");
    EXPECT_EQ(store.get("Win", "Top"), "-1");
}

}  // namespace
}  // namespace zelt::testing
