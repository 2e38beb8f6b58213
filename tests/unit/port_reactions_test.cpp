#include <gtest/gtest.h>

#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

class PortReactionsTest : public FormFixture {
  protected:
    PortReactionsTest() {
        startUp();
        form.panelButtonClicked();
        log.calls.clear();
        port.opens = 0;
    }
    void type(const std::string& text) {
        for (std::size_t i = 1; i <= text.size(); ++i) form.lineSettingsEdited(text.substr(0, i));
    }
};

// --- port change ---

TEST_F(PortReactionsTest, ChoosingCom3MovesTheRadioAndStoresTheNumber) {
    form.portChosen(2);
    EXPECT_EQ(form.line().portNumber(), 3);
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(store.get("Com", "ComPort"), "3");
    EXPECT_TRUE(window.shown.empty());
    EXPECT_LT(log.indexOf("close"), log.indexOf("save(Com/ComPort=3)"));
    EXPECT_LT(log.indexOf("save(Com/ComPort=3)"), log.indexOf("open(3)"));
    form.ptt(0, 1);
    EXPECT_EQ(bytesOn(3), std::vector<std::string>{kOnBlock});
}

TEST_F(PortReactionsTest, ChoosingTheSameEntryStillCyclesThePortAndStores) {
    form.portChosen(0);
    EXPECT_TRUE(log.contains("close"));
    EXPECT_EQ(store.get("Com", "ComPort"), "1");
    EXPECT_EQ(port.opens, 1);
}

TEST_F(PortReactionsTest, AbsentPortIsStoredAndReported) {
    form.portChosen(3);
    port.present.erase(4);
    form.portChosen(3);
    EXPECT_EQ(form.line().portNumber(), 4);
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_EQ(store.get("Com", "ComPort"), "4");
    EXPECT_EQ(window.shown, std::vector<std::string>{"Com port error"});
    EXPECT_THROW(form.ptt(0, 1), Failure);
}

TEST_F(PortReactionsTest, RefusedNumberReopensOnTheNumberInForceAndStoresIt) {
    form.portChosen(2);
    form.portChosen(-1);  // nothing chosen gives number 0, which is refused
    EXPECT_EQ(form.line().portNumber(), 3);
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(store.get("Com", "ComPort"), "3");
    EXPECT_EQ(window.shown, std::vector<std::string>{"Com port error"});
}

TEST_F(PortReactionsTest, NoEntryChosenGivesNumberZeroWhichIsRefused) {
    form.portChosen(-1);  // the click reaction runs with nothing chosen
    EXPECT_EQ(form.line().portNumber(), 1);
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(store.get("Com", "ComPort"), "1");
    EXPECT_EQ(window.shown, std::vector<std::string>{"Com port error"});
}

TEST_F(PortReactionsTest, FailedSaveStillReopensOnTheNewNumber) {
    log.failing.insert("save");
    form.portChosen(1);
    EXPECT_EQ(form.line().portNumber(), 2);
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_FALSE(store.has("Com", "ComPort"));
    EXPECT_EQ(window.shown, std::vector<std::string>{"Com port error"});
}

TEST_F(PortReactionsTest, FailedOpenStateReadStillClosesAndReports) {
    log.failing.insert("isOpen");
    form.portChosen(2);
    EXPECT_TRUE(log.contains("close"));
    EXPECT_EQ(form.line().portNumber(), 3);
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(window.shown, std::vector<std::string>{"Com port error"});
}

TEST_F(PortReactionsTest, EarlierFailureIsReportedEvenWhenLaterStepsSucceed) {
    log.failing.insert("close");
    form.portChosen(0);
    EXPECT_EQ(window.shown, std::vector<std::string>{"Com port error"});
}

// --- port change while the radio is keyed ---

TEST_F(PortReactionsTest, MovingAwayWhileTransmittingUnkeysTheOldRadioFirst) {
    form.ptt(0, 1);
    form.portChosen(0);  // the same port, and a settings change, leave the state alone
    form.lineSettingsEdited("9600,n,8,1");
    EXPECT_TRUE(form.transmitting());
    port.forceOpen(false);  // the old port is opened once for the unkey
    log.calls.clear();
    form.portChosen(2);
    EXPECT_LT(log.indexOf("open(1)"), log.indexOf("open(3)"));
    EXPECT_LT(log.indexOf("write"), log.indexOf("close"));
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
    EXPECT_TRUE(window.shown.empty());
}

TEST_F(PortReactionsTest, TornStreamIsRealignedOnItsOwnPortAndTheNewLineStartsClean) {
    port.takeOnly = 4;
    EXPECT_THROW(form.ptt(0, 1), Failure);
    form.portChosen(2);
    form.ptt(0, 1);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);  // the torn key block completed, then the unkey
    EXPECT_EQ(lineOf(3), kOnBlock);
}

// --- the port list, ports that come back, sleep ---

TEST_F(PortReactionsTest, ListGrowsToCom33KeepingTheChoiceWithoutCyclingThePortAndStopsAtCom255) {
    form.portChosen(1);
    log.calls.clear();
    port.present.insert(33);
    form.portListOpening();
    EXPECT_EQ(form.portCount(), 33);  // COM1 to COM33
    EXPECT_EQ(window.portCount, 33);
    EXPECT_EQ(form.chosenPort(), 1);
    EXPECT_EQ(window.portChosen, 1);
    EXPECT_EQ(log.indexOf("close"), -1);
    port.present = {1, 300};
    form.portListOpening();
    EXPECT_EQ(form.portCount(), 255);  // the last is COM255
}

TEST_F(PortReactionsTest, PortThatComesBackIsOpenedSilentlyAndWakingOpensItAfresh) {
    port.forceOpen(false);
    port.present.erase(1);
    form.devicesChanged();
    port.present.insert(1);
    form.devicesChanged();
    EXPECT_TRUE(port.isOpenNow());
    log.calls.clear();
    form.resumed(false);
    EXPECT_LT(log.indexOf("close"), log.indexOf("open(1)"));
    EXPECT_TRUE(port.isOpenNow());
    form.ptt(0, 1);
    EXPECT_EQ(lineOf(1), kOnBlock);
    EXPECT_TRUE(window.shown.empty());
}

// --- settings change ---

TEST_F(PortReactionsTest, TypingKeyByKeyStoresEveryTextAndAppliesTheLastAccepted) {
    form.lineSettingsEdited("");
    type("9600,n,8,1");
    EXPECT_EQ(store.get("Com", "Settings"), "9600,n,8,1");
    EXPECT_EQ(form.line().lineSettings(), "9600,n,8,1");
    EXPECT_EQ(port.openedWith(), settingsOf("9600,n,8,1"));
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(port.opens, 11);  // reopened after the emptying and after each of ten keys
    EXPECT_TRUE(window.shown.empty());
    EXPECT_TRUE(log.contains("save(Com/Settings=9600,n,8)"));
}

TEST_F(PortReactionsTest, RefusedTextIsStoredSilentlyAndThePortKeepsItsSettings) {
    form.lineSettingsEdited("9600,n,8,1");
    form.lineSettingsEdited("junk");
    EXPECT_EQ(store.get("Com", "Settings"), "junk");
    EXPECT_EQ(form.line().lineSettings(), "9600,n,8,1");
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(form.lineSettingsText(), "junk");
    EXPECT_TRUE(window.shown.empty());
}

TEST_F(PortReactionsTest, FailedOpenAfterAnEditLeavesThePortClosedSilently) {
    port.present.clear();
    form.lineSettingsEdited("9600,n,8,1");
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_EQ(store.get("Com", "Settings"), "9600,n,8,1");
    EXPECT_TRUE(window.shown.empty());
}

// --- settings check ---

TEST_F(PortReactionsTest, LeavingAfterAnAcceptedEditReappliesTheStoredTextSilently) {
    form.lineSettingsEdited("9600,n,8,1");
    log.calls.clear();
    form.lineSettingsLeft();
    EXPECT_LT(log.indexOf("close"), log.indexOf("open(1)"));
    EXPECT_EQ(port.openedWith(), settingsOf("9600,n,8,1"));
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_TRUE(window.shown.empty());
}

TEST_F(PortReactionsTest, FirstRunLeaveUsesTheStartUpDefaultAndShowsNothing) {
    form.lineSettingsLeft();
    EXPECT_EQ(port.openedWith(), settingsOf("4800,n,8,2"));
    EXPECT_TRUE(window.shown.empty());
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_FALSE(store.has("Com", "Settings"));
}

TEST_F(PortReactionsTest, LeavingAnEmptiedBoxReportsAndReopensWithTheSettingsInForce) {
    form.lineSettingsEdited("");
    bool closedWhileShown = false;
    window.onShow = [&] { closedWhileShown = !port.isOpenNow(); };
    form.lineSettingsLeft();
    EXPECT_EQ(window.shown, std::vector<std::string>{"Invalid comport settings"});
    EXPECT_TRUE(closedWhileShown);
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(port.openedWith(), settingsOf("4800,n,8,2"));
}

TEST_F(PortReactionsTest, LastRequestHeldUpByTheBoxGoesOutOnceThePortIsOpenAgain) {
    form.ptt(0, 1);
    form.lineSettingsEdited("");
    window.onShow = [&] {
        EXPECT_EQ(failureOf(0, 1), failure_code::kPortNotOpen);
        EXPECT_EQ(failureOf(0, 0), failure_code::kPortNotOpen);
        EXPECT_FALSE(port.isOpenNow());
        EXPECT_EQ(lineOf(1), kOnBlock);
        EXPECT_TRUE(form.transmitting());
    };
    form.lineSettingsLeft();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
}

// An unkey that a box held up is owed like one that failed: anything that lets go of the radio
// meanwhile, a device change among them, sends it at once, and it is not sent again afterwards.
TEST_F(PortReactionsTest, HeldUnkeyGoesOutAtOnceWhenDevicesChangeWhileTheBoxIsUp) {
    form.ptt(0, 1);
    form.lineSettingsEdited("");
    window.onShow = [&] {
        EXPECT_EQ(failureOf(0, 0), failure_code::kPortNotOpen);
        form.devicesChanged();
        EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
        EXPECT_FALSE(form.transmitting());
    };
    form.lineSettingsLeft();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_TRUE(port.isOpenNow());
}

TEST_F(PortReactionsTest, HeldKeyRequestNeverGoesOutOnceTheSessionEnds) {
    form.lineSettingsEdited("");
    window.onShow = [&] {
        EXPECT_THROW(form.ptt(0, 1), Failure);
        form.sessionEnding();
    };
    form.lineSettingsLeft();
    EXPECT_TRUE(port.written.empty());
}

TEST_F(PortReactionsTest, CloseRequestWhileTheBoxIsOpenLeavesThePortReleased) {
    form.lineSettingsEdited("");
    window.onShow = [&] { form.ptt(1, 0); };
    form.lineSettingsLeft();
    EXPECT_TRUE(window.closed);
    EXPECT_FALSE(port.isOpenNow());
}

TEST_F(PortReactionsTest, LeavingWhileClosedOpensWithoutClosing) {
    port.forceOpen(false);
    log.calls.clear();
    form.lineSettingsLeft();
    EXPECT_FALSE(log.contains("close"));
    EXPECT_TRUE(port.isOpenNow());
}

TEST_F(PortReactionsTest, CheckNeverWritesTheStoreAndAFailedOpenIsNotReported) {
    store.put("Com", "Settings", "9600,n,8,1");
    port.present.clear();
    form.lineSettingsLeft();
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_TRUE(window.shown.empty());
    EXPECT_EQ(log.indexOf("save"), -1);
}

TEST_F(PortReactionsTest, FailedStoreReadIsReported) {
    log.failing.insert("read");
    form.lineSettingsLeft();
    EXPECT_EQ(window.shown, std::vector<std::string>{"Invalid comport settings"});
    EXPECT_TRUE(port.isOpenNow());
}

// --- before start-up has finished ---

using PortReactionsBeforeLoad = FormFixture;

TEST_F(PortReactionsBeforeLoad, DoNothingUntilLoaded) {
    form.lineSettingsEdited("9600,n,8,1");
    form.portChosen(2);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_TRUE(store.values.empty());
}

}  // namespace
}  // namespace zelt::testing
