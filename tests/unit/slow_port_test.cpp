#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

// A port whose opens end only when the test says so, as a Bluetooth port's take seconds: every
// interleaving of requests, changes, closing, the session's end and sleep with an open under way.
class SlowPortTest : public FormFixture {
  protected:
    // Started on an open port, keyed or not; from then on every open waits for the test.
    void startOn(bool keyed) {
        startUp();
        if (keyed) form.hostRequest(0, 1);
        port.holdOpens = true;
    }
    // The port is opened afresh, as after a wake: the open is under way.
    void reopen() {
        form.resumed(false);
        ASSERT_TRUE(port.opening());
    }
    bool logged(const std::string& text) const {
        const auto texts = eventTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    long opensOf(int number) const {
        return std::count(log.calls.begin(), log.calls.end(), "open(" + std::to_string(number) + ")");
    }
};

TEST_F(SlowPortTest, RequestsDuringAnOpenFailAtOnceAndOnlyAnOwedUnkeyFollowsIt) {
    startOn(true);
    reopen();
    EXPECT_THROW(form.hostRequest(0, 1), Failure);
    EXPECT_TRUE(logged("host: request 0, state 1: failed: the port is still opening [code 8018]"));
    EXPECT_THROW(form.hostRequest(0, 0), Failure);
    EXPECT_TRUE(form.transmitting());  // may still be transmitting
    EXPECT_EQ(lineOf(1), kOnBlock);
    port.endOpen();
    // The unkey owed goes out at once; the key asked for meanwhile never does.
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
    EXPECT_TRUE(logged("unkey that could not be delivered before: wrote 00 00 00 00 0F"));
    form.hostRequest(0, 1);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock);
}

TEST_F(SlowPortTest, TypingOverASlowOpenStoresEveryTextButOpensOnlyTheNewest) {
    startOn(false);
    form.lineSettingsEdited("");
    std::string typed;
    for (const char key : std::string("9600,n,8,1")) form.lineSettingsEdited(typed += key);
    EXPECT_EQ(store.get("Com", "Settings"), "9600,n,8,1");
    EXPECT_TRUE(log.contains("save(Com/Settings=9600,n,8)"));
    EXPECT_EQ(opensOf(1), 1);  // the first keystroke's open, still under way
    port.endOpen();
    EXPECT_TRUE(logged("COM1 opened (4800,n,8,2) and closed again: no longer wanted"));
    EXPECT_FALSE(port.isOpenNow());
    ASSERT_TRUE(port.opening());
    port.endOpen();
    EXPECT_EQ(port.openedWith(), settingsOf("9600,n,8,1"));
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(opensOf(1), 2);
    EXPECT_TRUE(window.shown.empty());
}

TEST_F(SlowPortTest, PortChangeReportsItsOwnOpenWhenItHasFailedAndAReplacedOneNever) {
    startOn(false);
    form.portChosen(1);
    EXPECT_TRUE(window.shown.empty());  // the open is under way
    port.failOpen();
    EXPECT_EQ(window.shown, std::vector<std::string>{"Com port error"});
    EXPECT_TRUE(logged("COM2 could not be opened: the semaphore timeout period has expired [code 121]"));
    EXPECT_EQ(store.get("Com", "ComPort"), "2");

    form.portChosen(2);
    form.portChosen(3);  // COM4 is wanted before COM3's open has ended
    EXPECT_EQ(port.openingNumber(), 3);
    port.failOpen();
    EXPECT_EQ(port.openingNumber(), 4);  // the newest follows the one it replaced
    port.endOpen();
    EXPECT_EQ(port.number(), 4);
    EXPECT_EQ(window.shown.size(), 1U);
}

TEST_F(SlowPortTest, ClosingDuringAnOpenIsAtOnceWithNothingOwed) {
    startOn(false);
    reopen();
    form.ptt(1, 0);
    EXPECT_TRUE(window.closed);
    form.windowGone();
    EXPECT_TRUE(port.waits.empty());
    port.endOpen();  // too late to matter: the port is closed as it opens
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_TRUE(port.written.empty());
}

// The window goes first, so no host waits on it; then the open gets three seconds to take the unkey.
TEST_F(SlowPortTest, ClosingDuringAnOpenWithAnUnkeyOwedWaitsABoundedTimeForIt) {
    startOn(true);
    reopen();
    form.ptt(1, 0);
    EXPECT_TRUE(window.closed);
    EXPECT_TRUE(logged("unkey at shut-down: waits for COM1 to open"));
    port.openEndsWhileWaited = true;
    form.windowGone();
    EXPECT_EQ(port.waits, std::vector<std::uint32_t>{3000});
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_TRUE(logged("unkey at shut-down: wrote 00 00 00 00 0F"));
    EXPECT_FALSE(port.isOpenNow());
}

TEST_F(SlowPortTest, AnOpenThatDoesNotEndInTimeIsLoggedAndOneThatFailsLateToo) {
    startOn(true);
    reopen();
    form.ptt(1, 0);
    form.windowGone();
    EXPECT_TRUE(logged("unkey at shut-down: failed: COM1 did not open within 3000 ms [code 8018]"));
    EXPECT_EQ(lineOf(1), kOnBlock);
    port.failOpen();
    EXPECT_TRUE(logged("unkey at shut-down: failed: the semaphore timeout period has expired [code 121]"));
    EXPECT_EQ(lineOf(1), kOnBlock);
}

TEST_F(SlowPortTest, SessionEndWaitsOnlyForAnOwedUnkeyAndRefusesKeysAfterwards) {
    startOn(false);
    reopen();
    form.sessionEnding();
    EXPECT_TRUE(port.waits.empty());
    port.endOpen();
    EXPECT_THROW(form.hostRequest(0, 1), Failure);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(SlowPortTest, SessionEndDuringAnOpenWaitsABoundedTimeForAnOwedUnkey) {
    startOn(true);
    reopen();
    port.openEndsWhileWaited = true;
    form.sessionEnding();
    EXPECT_EQ(port.waits, std::vector<std::uint32_t>{3000});
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_TRUE(logged("unkey at session end: wrote 00 00 00 00 0F"));
}

// Windows allows a sleep notification about two seconds; the open under way still takes the unkey
// when it ends, and the port is then let go of until the wake.
TEST_F(SlowPortTest, SleepWaitsBrieflyThenTheLateOpenStillUnkeysAndLetsGo) {
    startOn(true);
    reopen();
    form.suspending();
    EXPECT_EQ(port.waits, std::vector<std::uint32_t>{800});
    EXPECT_TRUE(logged("unkey before sleep: failed: COM1 did not open within 800 ms [code 8018]"));
    port.endOpen();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_FALSE(form.transmitting());
}

// Moving away while keyed with the old port still opening: the unkey is owed to the old radio alone.
TEST_F(SlowPortTest, MovingAwayDuringAnOpenUnkeysTheOldRadioOnItsOwnPortBeforeClosingIt) {
    startOn(true);
    reopen();
    form.portChosen(1);
    EXPECT_TRUE(logged("unkey before the move to COM2: waits for COM1 to open"));
    EXPECT_TRUE(form.transmitting());
    EXPECT_EQ(port.openingNumber(), 1);
    port.onWrite = [this] { EXPECT_TRUE(form.transmitting()); };  // red until it is out
    log.calls.clear();
    port.endOpen();
    port.onWrite = nullptr;
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
    EXPECT_LT(log.indexOf("write"), log.indexOf("close"));
    const auto texts = eventTexts();
    const auto unkeyed =
        std::find(texts.begin(), texts.end(), "unkey before the move to COM2: wrote 00 00 00 00 0F");
    ASSERT_NE(unkeyed, texts.end());
    ASSERT_NE(unkeyed + 1, texts.end());
    EXPECT_EQ(*(unkeyed + 1), "COM1 opened (4800,n,8,2) and closed again: no longer wanted");
    ASSERT_EQ(port.openingNumber(), 2);
    port.endOpen();
    EXPECT_TRUE(bytesOn(2).empty());  // the radio on COM2 was never keyed
    EXPECT_FALSE(form.transmitting());
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    form.hostRequest(0, 1);
    EXPECT_EQ(lineOf(2), kOnBlock);
}

// The old radio may still be transmitting: red, and the radio on the new port is told nothing.
TEST_F(SlowPortTest, MovingAwayDuringAnOpenThatFailsLeavesTheUnkeyOwedToTheOldRadioOnly) {
    startOn(true);
    reopen();
    form.portChosen(1);
    port.failOpen();
    EXPECT_TRUE(logged("COM1 could not be opened: the semaphore timeout period has expired [code 121]"));
    EXPECT_TRUE(
        logged("unkey before the move to COM2: failed: the semaphore timeout period has expired [code 121]"));
    EXPECT_TRUE(form.transmitting());
    ASSERT_EQ(port.openingNumber(), 2);
    port.endOpen();
    EXPECT_TRUE(bytesOn(2).empty());
    EXPECT_TRUE(form.transmitting());
    EXPECT_TRUE(window.shown.empty());  // the port chosen opened; the one replaced is not reported

    form.portChosen(0);  // back to the old radio, which takes the unkey once its port opens
    EXPECT_TRUE(bytesOn(2).empty());
    EXPECT_TRUE(form.transmitting());
    port.endOpen();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_TRUE(logged("unkey that could not be delivered before: wrote 00 00 00 00 0F"));
    EXPECT_FALSE(form.transmitting());
    EXPECT_TRUE(bytesOn(2).empty());
}

TEST_F(SlowPortTest, MovingTwiceDuringAnOpenUnkeysTheFirstRadioAndOpensOnlyTheLastPort) {
    startOn(true);
    reopen();
    form.portChosen(1);
    form.portChosen(2);
    EXPECT_EQ(port.openingNumber(), 1);
    EXPECT_TRUE(form.transmitting());
    port.endOpen();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_TRUE(logged("unkey before the move to COM3: wrote 00 00 00 00 0F"));
    EXPECT_FALSE(form.transmitting());
    ASSERT_EQ(port.openingNumber(), 3);
    port.endOpen();
    EXPECT_EQ(port.number(), 3);
    EXPECT_EQ(opensOf(2), 0);
    EXPECT_TRUE(bytesOn(2).empty());
    EXPECT_TRUE(bytesOn(3).empty());
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
}

// Closing after the move: the window's end waits for the old port's open, and its radio takes the unkey.
TEST_F(SlowPortTest, ClosingAfterMovingAwayDuringAnOpenWaitsForTheOldRadiosUnkey) {
    startOn(true);
    reopen();
    form.portChosen(1);
    form.ptt(1, 0);
    port.openEndsWhileWaited = true;
    form.windowGone();
    EXPECT_EQ(port.waits, std::vector<std::uint32_t>{3000});
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_TRUE(logged("unkey at shut-down: wrote 00 00 00 00 0F"));
    EXPECT_EQ(opensOf(2), 0);
    EXPECT_FALSE(port.isOpenNow());
}

TEST_F(SlowPortTest, MovingAwayFromAClosedPortThatIsGoneTellsTheNewRadioNothing) {
    startOn(true);
    port.holdOpens = false;
    port.forceOpen(false);
    port.present.erase(1);
    form.portChosen(1);
    EXPECT_TRUE(logged("unkey before the move to COM2: failed: no such port [code 2]"));
    EXPECT_EQ(port.number(), 2);
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_TRUE(bytesOn(2).empty());
    EXPECT_TRUE(form.transmitting());  // the radio on COM1 may still be transmitting
}

// A device event while the settings box holds the port: the old radio is out of reach, and the key
// the box held up still goes out to the radio on the port in force.
TEST_F(SlowPortTest, AnUnkeyOutOfReachDropsNoRequestTheSettingsBoxHeldUp) {
    startOn(true);
    port.holdOpens = false;
    port.forceOpen(false);
    port.present.erase(1);
    form.portChosen(1);
    store.put("Com", "Settings", "bad");
    window.onShow = [this] {
        EXPECT_THROW(form.hostRequest(0, 1), Failure);
        form.devicesChanged();
    };
    form.lineSettingsLeft();
    EXPECT_EQ(lineOf(2), kOnBlock);
}

// A wake that a user made comes as two messages: the port is opened once.
TEST_F(SlowPortTest, OneWakeOpensThePortOnce) {
    startUp();
    for (int sleep = 0; sleep < 2; ++sleep) {
        log.calls.clear();
        form.suspending();
        form.resumed(false);
        form.resumed(true);
        EXPECT_EQ(opensOf(1), 1) << "sleep " << sleep;
        EXPECT_TRUE(port.isOpenNow());
    }
}

}  // namespace
}  // namespace zelt::testing
