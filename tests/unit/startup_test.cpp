#include <gtest/gtest.h>

#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

using StartupTest = FormFixture;

TEST_F(StartupTest, ConnectsTheHostFirstAndOpensThePortLastOnWhatWasRead) {
    store.put("Com", "ComPort", "3");
    store.put("Com", "Settings", "9600,n,8,1");
    form.load();
    ASSERT_GE(log.calls.size(), 2U);
    // Host messages can arrive once the hook is in, so it goes in before anything is read.
    EXPECT_EQ(log.calls[0], "listenToHost");
    // The port opens once, last, on the stored number and settings, with the window already
    // collapsed and the form loaded.
    EXPECT_EQ(log.calls.back(), "open(3)");
    EXPECT_EQ(port.opens, 1);
    EXPECT_EQ(port.openedWith(), settingsOf("9600,n,8,1"));
    EXPECT_FLOAT_EQ(window.client, 1185);
    EXPECT_TRUE(form.loaded());
}

TEST_F(StartupTest, EmptyStoreGivesTheDefaults) {
    form.load();
    EXPECT_EQ(form.lineSettingsText(), "4800,n,8,2");
    EXPECT_EQ(form.chosenPort(), 0);
    EXPECT_EQ(form.line().portNumber(), 1);
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(port.openedWith(), settingsOf("4800,n,8,2"));
    EXPECT_FALSE(window.minimized);
    EXPECT_FALSE(window.onTopCalls.back());
    EXPECT_FALSE(form.transmitting());
    EXPECT_FALSE(form.panelOpen());
    EXPECT_TRUE(form.loaded());
    EXPECT_TRUE(port.written.empty());  // start-up never keys or unkeys the radio
    // Filling the port list and settings box stored nothing and did not cycle the port.
    EXPECT_FALSE(store.has("Com", "ComPort"));
    EXPECT_FALSE(store.has("Com", "Settings"));
    EXPECT_EQ(port.opens, 1);
}

TEST_F(StartupTest, CollapsesAndShowsWhatWasRead) {
    store.put("Com", "ComPort", "2");
    store.put("Com", "Settings", "9600,n,8,1");
    store.put("Win", "Top", "1");
    form.load();
    EXPECT_FLOAT_EQ(form.frameWidth(), 120);
    EXPECT_FLOAT_EQ(window.outer, 2 * 105 + 975 + 120);
    EXPECT_FLOAT_EQ(window.client, 1185);
    // The window shows each value the form holds; the form holds what was read.
    EXPECT_EQ(window.lineSettings, "9600,n,8,1");
    EXPECT_EQ(window.portCount, 4);
    EXPECT_EQ(window.portChosen, 1);
    EXPECT_EQ(window.onTop, 1);
    EXPECT_EQ(window.runMinimized, 0);
    EXPECT_FALSE(window.panelOpen);
}

TEST_F(StartupTest, StoredPortThreeChoosesAndUsesCom3) {
    store.put("Com", "ComPort", "3");
    form.load();
    EXPECT_EQ(form.chosenPort(), 2);
    EXPECT_EQ(form.line().portNumber(), 3);
    EXPECT_TRUE(port.isOpenNow());
}

TEST_F(StartupTest, StoredPortFiveLeavesTheListUnchosenButUsesPortFive) {
    store.put("Com", "ComPort", "5");
    form.load();
    EXPECT_EQ(form.chosenPort(), -1);
    EXPECT_EQ(form.line().portNumber(), 5);
}

TEST_F(StartupTest, ListRunsToTheHighestPortPresentSoAStoredCom33IsChosen) {
    store.put("Com", "ComPort", "33");
    port.present.insert(33);
    form.load();
    ASSERT_EQ(form.portCount(), 33);  // no gaps: position + 1 is the port number
    EXPECT_EQ(form.chosenPort(), 32);
    EXPECT_TRUE(port.isOpenNow());
}

TEST_F(StartupTest, ListAndPortReadTheStoredNumberAlike) {
    store.put("Com", "ComPort", "2.5");
    form.load();
    EXPECT_EQ(form.chosenPort(), 1);
    EXPECT_EQ(form.line().portNumber(), 2);
}

TEST_F(StartupTest, StoredGarbageSkipsOnlyItsOwnSteps) {
    store.put("Com", "ComPort", "abc");
    store.put("Win", "Min", "99999");
    store.put("Win", "Top", "x");
    form.load();
    EXPECT_EQ(form.chosenPort(), -1);
    EXPECT_EQ(form.line().portNumber(), 1);
    EXPECT_EQ(form.check(CheckBox::RunMinimized), 0);
    EXPECT_EQ(form.check(CheckBox::OnTop), 0);
    EXPECT_FALSE(window.minimized);
    EXPECT_TRUE(form.loaded());
    EXPECT_TRUE(port.isOpenNow());
}

TEST_F(StartupTest, RefusedSettingsAreShownButThePortOpensWithThoseInForce) {
    store.put("Com", "Settings", "9600,q,8,1");
    form.load();
    EXPECT_EQ(form.lineSettingsText(), "9600,q,8,1");
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(port.openedWith(), settingsOf("4800,n,8,2"));
}

TEST_F(StartupTest, StoredSettingsAreApplied) {
    store.put("Com", "Settings", "9600,n,8,1");
    form.load();
    EXPECT_EQ(port.openedWith(), settingsOf("9600,n,8,1"));
}

// Many radio interfaces key the transmitter on DTR or RTS: only a stored "1" raises a line, and the
// port opens with the lines as stored.
TEST_F(StartupTest, ControlLinesFollowTheStoredValuesFromTheOpen) {
    store.put("Com", "DTR", "1");
    store.put("Com", "RTS", "yes");
    form.load();
    EXPECT_TRUE(port.lines().dtrHigh);
    EXPECT_FALSE(port.lines().rtsHigh);
}

TEST_F(StartupTest, WindowOptions) {
    store.put("Win", "Min", "1");
    store.put("Win", "Top", "1");
    form.load();
    EXPECT_TRUE(window.minimized);
    EXPECT_TRUE(window.onTopCalls.back());
    EXPECT_EQ(form.check(CheckBox::RunMinimized), 1);
    EXPECT_EQ(form.check(CheckBox::OnTop), 1);
    // Minimized or not, the frame and the collapsed width refer to the normal size.
    EXPECT_FLOAT_EQ(window.outer, 1185 + 120);
}

TEST_F(StartupTest, GreyedValueMinimizesButStaysOutOfTheTopmostBand) {
    store.put("Win", "Min", "2");
    store.put("Win", "Top", "2");
    form.load();
    EXPECT_TRUE(window.minimized);
    EXPECT_FALSE(window.onTopCalls.back());
}

TEST_F(StartupTest, AbsentPortLeavesThePortClosedSilently) {
    port.present.erase(1);
    form.load();
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_TRUE(form.loaded());
    EXPECT_TRUE(window.shown.empty());
}

// Every platform operation start-up uses may fail on its own; start-up still reaches the running
// state, shows nothing, and the steps after the failing one still run.
class StartupFailingStepTest : public FormFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(StartupFailingStepTest, GoesOnPastTheFailure) {
    log.failing.insert(GetParam());
    form.load();
    EXPECT_TRUE(form.loaded());
    EXPECT_TRUE(window.shown.empty());
    EXPECT_EQ(log.calls.back().rfind("open", 0), 0U) << "the port open is still tried last";
    if (std::string(GetParam()) != "open") EXPECT_TRUE(port.isOpenNow());
}

INSTANTIATE_TEST_SUITE_P(EachStep, StartupFailingStepTest,
                         ::testing::Values("listenToHost", "read:Com/Settings", "presentPorts",
                                           "read:Com/ComPort", "read:Com/DTR", "read:Com/RTS", "read:Win/Min",
                                           "save:Win/Min", "read:Win/Top", "save:Win/Top", "setOnTop",
                                           "frameWidth", "setOuterWidth", "open"));

TEST_F(StartupTest, FailedFrameMeasureLeavesTheFrameWidthAsItWas) {
    log.failing.insert("frameWidth");
    form.load();
    EXPECT_FLOAT_EQ(form.frameWidth(), 0);
    EXPECT_FLOAT_EQ(window.outer, 1185);  // collapsed with the frame width it had
}

TEST_F(StartupTest, FailedSaveOfTheMinimizedOptionStillMinimizes) {
    // The value is set before its click reaction fails, so the window still starts minimized.
    store.put("Win", "Min", "1");
    log.failing.insert("save:Win/Min");
    form.load();
    EXPECT_TRUE(window.minimized);
}

}  // namespace
}  // namespace zelt::testing
