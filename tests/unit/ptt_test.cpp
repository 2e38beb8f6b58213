#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

class PttTest : public FormFixture {
  protected:
    PttTest() {
        startUp();
        port.written.clear();
    }
    void request(std::int32_t code, std::int32_t state) { form.ptt(code, state); }
};

TEST_F(PttTest, TransmitAndReceiveWriteTheirBlocksThenRecolour) {
    request(0, 1);
    EXPECT_EQ(bytesOn(1), std::vector<std::string>{kOnBlock});
    EXPECT_TRUE(form.transmitting());

    request(0, 0);
    EXPECT_EQ(bytesOn(1), (std::vector<std::string>{kOnBlock, kOffBlock}));
    EXPECT_FALSE(form.transmitting());
}

TEST_F(PttTest, RepeatedRequestsAreNeverSuppressed) {
    request(0, 1);
    request(0, 1);
    request(0, 0);
    request(0, 0);
    EXPECT_EQ(bytesOn(1), (std::vector<std::string>{kOnBlock, kOnBlock, kOffBlock, kOffBlock}));
}

TEST_F(PttTest, UnknownStatesAndRequestsDoNothing) {
    request(0, 1);
    port.written.clear();
    for (auto [code, state] : {std::pair{0, 2}, {0, -1}, {2, 1}, {-1, 0}, {7, 7}, {INT32_MIN, 1}}) {
        request(code, state);
    }
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(form.transmitting());
    EXPECT_FALSE(window.closed);
}

TEST_F(PttTest, CloseRequestClosesTheWindowWhateverTheStateAndWritesNothing) {
    request(1, 1);
    EXPECT_TRUE(window.closed);
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(port.isOpenNow());  // released with the window
}

TEST_F(PttTest, FailedWriteKeepsTheColourAndReachesTheCaller) {
    port.forceOpen(false);
    port.present.erase(1);
    EXPECT_THROW(request(0, 1), Failure);
    EXPECT_FALSE(form.transmitting());
    EXPECT_TRUE(port.written.empty());
}

TEST_F(PttTest, IndicatorClickTogglesByColour) {
    form.indicatorClicked();
    EXPECT_TRUE(form.transmitting());
    form.indicatorClicked();
    EXPECT_FALSE(form.transmitting());
    EXPECT_EQ(bytesOn(1), (std::vector<std::string>{kOnBlock, kOffBlock}));
}

TEST_F(PttTest, IndicatorClickOnAClosedPortFailsAndKeepsTheColour) {
    port.forceOpen(false);
    port.present.erase(1);
    EXPECT_THROW(form.indicatorClicked(), Failure);
    EXPECT_FALSE(form.transmitting());
}

TEST_F(PttTest, ClosingWhileTransmittingUnkeysTheRadioOnceBeforeReleasingThePort) {
    request(0, 1);
    port.written.clear();
    log.calls.clear();
    request(1, 0);
    EXPECT_EQ(bytesOn(1), std::vector<std::string>{kOffBlock});
    EXPECT_LT(log.indexOf("write"), log.indexOf("close"));
    EXPECT_FALSE(port.isOpenNow());

    form.windowDestroyed();  // a second notice changes nothing
    EXPECT_EQ(port.written.size(), 1U);
}

TEST_F(PttTest, ClosingWhileReceivingSendsNothing) {
    request(0, 1);
    request(0, 0);
    port.written.clear();
    form.unload();
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(port.isOpenNow());
}

TEST_F(PttTest, ClosingWhileTransmittingSurvivesAPortThatFails) {
    request(0, 1);
    port.forceOpen(false);
    port.present.clear();  // the radio vanished: the unkey cannot be delivered
    EXPECT_NO_THROW(form.unload());
    EXPECT_TRUE(window.closed);
}

TEST_F(PttTest, SessionEndingUnkeysOnceEvenOnAClosedPortAndTheLaterCloseSendsNothingMore) {
    request(0, 1);
    port.forceOpen(false);
    form.sessionEnding();
    form.sessionEnding();
    form.windowDestroyed();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
}

// Windows may end the process any moment after the session's end: a key then would stay on the air.
TEST_F(PttTest, AfterTheSessionEndsKeysAreRefusedAndUnkeysStillGoOut) {
    form.sessionEnding();  // green: nothing to tell the radio
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(failureOf(0, 1), failure_code::kRefused);
    EXPECT_THROW(form.hostRequest(0, 1), Failure);
    EXPECT_THROW(form.indicatorClicked(), Failure);
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(form.transmitting());
    request(0, 0);
    EXPECT_EQ(lineOf(1), kOffBlock);
    const auto texts = eventTexts();
    EXPECT_NE(
        std::find(texts.begin(), texts.end(),
                  "indicator click: request 0, state 1: failed: refused: the session is ending [code 70]"),
        texts.end());
}

// --- a port that comes back ---

// A request never waits for an open: it fails at once, and the open it starts serves the next one.
TEST_F(PttTest, AbsentOrVanishedPortIsOpenedAgainForTheNextRequest) {
    port.forceOpen(false);
    port.present.erase(1);
    EXPECT_EQ(failureOf(0, 1), failure_code::kPortNotOpen);
    EXPECT_EQ(failureOf(0, 1), failure_code::kPortNotOpen);
    EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "open(1)"), 2);  // one attempt each
    port.present.insert(1);
    EXPECT_EQ(failureOf(0, 1), failure_code::kPortNotOpen);
    EXPECT_TRUE(port.written.empty());
    request(0, 1);
    port.deviceDiesOnNextWrite = true;
    EXPECT_EQ(failureOf(0, 0), 22);
    EXPECT_FALSE(port.isOpenNow());
    // The unkey is owed: it goes out as the port it reopens is open.
    EXPECT_EQ(failureOf(0, 0), failure_code::kPortNotOpen);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
}

// --- a radio that takes bytes slowly or stops: whatever was torn, the radio ends unkeyed ---

TEST_F(PttTest, KeyBlockTornAtTwoOrFourBytesIsCompletedAsAnUnkeyThenAWholeUnkeyFollows) {
    port.takeOnly = 2;
    EXPECT_EQ(failureOf(0, 1), failure_code::kWriteTimeout);
    request(0, 0);  // 00 00 | 00 00 0F, then the unkey, then the request
    port.takeOnly = 4;
    EXPECT_EQ(failureOf(0, 1), failure_code::kWriteTimeout);
    EXPECT_FALSE(form.transmitting());
    request(0, 1);  // 00 00 00 01 | 0F, then the unkey, then the request
    EXPECT_EQ(lineOf(1), kOffBlock + kOffBlock + kOffBlock + kOnBlock + kOffBlock + kOnBlock);
    EXPECT_TRUE(form.transmitting());
}

TEST_F(PttTest, RealignmentCutShortShowsTheLastWholeBlockAndIsTriedAgain) {
    request(0, 1);
    port.takeOnly = 2;
    EXPECT_THROW(request(0, 0), Failure);
    EXPECT_TRUE(form.transmitting());
    port.takeOnly = 4;  // completes the torn unkey and one byte more
    EXPECT_EQ(failureOf(0, 1), failure_code::kWriteTimeout);
    EXPECT_FALSE(form.transmitting());
    request(0, 1);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOffBlock + kOffBlock + kOnBlock);
}

}  // namespace
}  // namespace zelt::testing
