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
    // The failure code a request ends with, 0 when it goes through.
    std::int32_t failureOf(std::int32_t code, std::int32_t state) {
        try {
            form.ptt(code, state);
        } catch (const Failure& failure) {
            return failure.code();
        }
        return 0;
    }
};

std::string bytes(std::initializer_list<int> codes) {
    std::string out;
    for (int code : codes) out += static_cast<char>(code);
    return out;
}

TEST_F(PttTest, TransmitAndReceiveWriteTheirBlocksThenRecolour) {
    request(0, 1);
    EXPECT_EQ(bytesOn(1), std::vector<std::string>{kOnBlock});
    EXPECT_EQ(form.Shape1.fillColor(), kRed);

    request(0, 0);
    EXPECT_EQ(bytesOn(1), (std::vector<std::string>{kOnBlock, kOffBlock}));
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);
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
    EXPECT_EQ(form.Shape1.fillColor(), kRed);
    EXPECT_FALSE(window.destroyed);
}

TEST_F(PttTest, CloseRequestClosesTheWindowWhateverTheStateAndWritesNothing) {
    request(1, 1);
    EXPECT_TRUE(window.destroyed);
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(port.isOpen());  // released with the window
}

TEST_F(PttTest, FailedWriteKeepsTheColourAndReachesTheCaller) {
    port.setPortOpen(false);
    port.present.erase(1);
    EXPECT_THROW(request(0, 1), Failure);
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(PttTest, IndicatorClickTogglesByColour) {
    form.Label3.userClick();
    EXPECT_EQ(form.Shape1.fillColor(), kRed);
    form.Label3.userClick();
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);
    EXPECT_EQ(bytesOn(1), (std::vector<std::string>{kOnBlock, kOffBlock}));
}

TEST_F(PttTest, IndicatorClickOnAClosedPortFailsAndKeepsTheColour) {
    port.setPortOpen(false);
    port.present.erase(1);
    EXPECT_THROW(form.Label3.userClick(), Failure);
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);
}

TEST_F(PttTest, ClosingWhileTransmittingUnkeysTheRadioOnceBeforeReleasingThePort) {
    request(0, 1);
    port.written.clear();
    log.calls.clear();
    request(1, 0);
    EXPECT_EQ(bytesOn(1), std::vector<std::string>{kOffBlock});
    EXPECT_LT(log.indexOf("output"), log.indexOf("close"));
    EXPECT_FALSE(port.isOpen());

    form.windowDestroyed();  // a second notice changes nothing
    EXPECT_EQ(port.written.size(), 1U);
}

TEST_F(PttTest, ClosingWhileReceivingSendsNothing) {
    request(0, 1);
    request(0, 0);
    port.written.clear();
    form.unload();
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(PttTest, ClosingWhileTransmittingSurvivesAPortThatFails) {
    request(0, 1);
    port.setPortOpen(false);
    port.present.clear();  // the radio vanished: the unkey cannot be delivered
    EXPECT_NO_THROW(form.unload());
    EXPECT_TRUE(window.destroyed);
}

// --- the session ending ---

TEST_F(PttTest, SessionEndingUnkeysOnceAndTheLaterCloseSendsNothingMore) {
    request(0, 1);
    form.sessionEnding();
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);
    EXPECT_TRUE(port.isOpen());
    form.windowDestroyed();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
}

TEST_F(PttTest, SessionEndingOpensAClosedPortForTheUnkeyAndIgnoresAGreenIndicator) {
    form.sessionEnding();
    EXPECT_TRUE(port.written.empty());

    request(0, 1);
    port.setPortOpen(false);
    form.sessionEnding();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
}

TEST_F(PttTest, SessionEndingSurvivesARadioThatCannotBeReached) {
    request(0, 1);
    port.deviceDiesOnNextWrite = true;
    EXPECT_NO_THROW(form.sessionEnding());
    EXPECT_EQ(form.Shape1.fillColor(), kRed);
}

// --- a port that comes back ---

TEST_F(PttTest, AbsentPortCostsOneOpenAttemptPerRequestAndIsUsedOnceItIsBack) {
    port.setPortOpen(false);
    port.present.erase(1);
    log.calls.clear();
    EXPECT_EQ(failureOf(0, 1), 2);
    EXPECT_EQ(failureOf(0, 1), 2);
    EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "open(1)"), 2);
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);

    port.present.insert(1);
    request(0, 1);
    EXPECT_EQ(lineOf(1), kOnBlock);
    EXPECT_EQ(form.Shape1.fillColor(), kRed);
}

TEST_F(PttTest, DeviceThatWentAwayIsOpenedAgainByTheNextRequest) {
    request(0, 1);
    port.deviceDiesOnNextWrite = true;
    EXPECT_EQ(failureOf(0, 0), 22);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(form.Shape1.fillColor(), kRed);

    request(0, 0);
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);
}

// --- a radio that takes bytes slowly or stops ---

TEST_F(PttTest, KeyBlockTornAfterTwoBytesIsCompletedAsAnUnkeyBeforeTheNextRequest) {
    port.takeOnly = 2;
    EXPECT_EQ(failureOf(0, 1), failure_code::kWriteTimeout);
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);
    EXPECT_EQ(lineOf(1), bytes({0, 0}));

    request(0, 1);
    EXPECT_EQ(lineOf(1), bytes({0, 0, /* completed: */ 0, 0, 15}) + kOffBlock + kOnBlock);
    EXPECT_EQ(form.Shape1.fillColor(), kRed);
}

TEST_F(PttTest, KeyBlockTornAfterItsStateByteIsFollowedByAWholeUnkey) {
    port.takeOnly = 4;
    EXPECT_EQ(failureOf(0, 1), failure_code::kWriteTimeout);
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);

    request(0, 0);
    EXPECT_EQ(lineOf(1), bytes({0, 0, 0, 1, /* completed: */ 15}) + kOffBlock + kOffBlock);
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);
}

TEST_F(PttTest, TornUnkeyKeepsTheIndicatorRedUntilTheRealignmentHasGoneOut) {
    request(0, 1);
    port.takeOnly = 2;
    EXPECT_EQ(failureOf(0, 0), failure_code::kWriteTimeout);
    EXPECT_EQ(form.Shape1.fillColor(), kRed);  // the last whole block keyed the radio

    // The realignment itself stops after completing the torn block: that block unkeyed the radio.
    port.takeOnly = 4;
    EXPECT_EQ(failureOf(0, 1), failure_code::kWriteTimeout);
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);
    EXPECT_EQ(lineOf(1), kOnBlock + bytes({0, 0, 0, 0, 15, 0}));

    request(0, 1);  // the rest of the realignment first, then the request
    EXPECT_EQ(lineOf(1), kOnBlock + bytes({0, 0, 0, 0, 15, 0, 0, 0, 0, 15}) + kOffBlock + kOnBlock);
    EXPECT_EQ(form.Shape1.fillColor(), kRed);
}

TEST_F(PttTest, RealignmentCutShortAtABlockEdgeShowsTheKeyItCompletedAndStillOwesAnUnkey) {
    port.takeOnly = 4;
    EXPECT_THROW(request(0, 1), Failure);
    port.takeOnly = 1;  // only the torn key block's last byte: the radio is now keyed
    EXPECT_EQ(failureOf(0, 0), failure_code::kWriteTimeout);
    EXPECT_EQ(form.Shape1.fillColor(), kRed);

    request(0, 0);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOffBlock);
    EXPECT_EQ(form.Shape1.fillColor(), kGreen);
}

TEST_F(PttTest, WriteThatTakesNothingLeavesTheStreamAligned) {
    request(0, 1);
    port.takeOnly = 0;
    EXPECT_EQ(failureOf(0, 1), failure_code::kWriteTimeout);
    request(0, 1);  // no realignment: an unkey here would drop the transmission for a moment
    EXPECT_EQ(lineOf(1), kOnBlock + kOnBlock);
}

}  // namespace
}  // namespace zelt::testing
