#include <gtest/gtest.h>

#include <algorithm>

#include "app/transmit_limit.h"
#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

class TransmitLimitTest : public FormFixture {
  protected:
    void startWithLimit(const std::string& stored) {
        store.put("Win", "TxLimit", stored);
        startUp();
        port.written.clear();
    }
    bool logged(const std::string& text) const {
        const auto texts = eventTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
};

TEST_F(TransmitLimitTest, StoredLimitUnkeysAfterContinuousKeyingBeepsAndLogs) {
    startWithLimit("2");
    form.ptt(0, 1);
    EXPECT_TRUE(window.timerRunning);
    EXPECT_EQ(window.timerStarts, std::vector<std::uint32_t>{2000});

    form.transmitTimerFired();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
    EXPECT_EQ(window.beeps, 1);
    EXPECT_FALSE(window.timerRunning);
    EXPECT_TRUE(logged("transmit time limit (2 s) reached: wrote 00 00 00 00 0F"));

    form.ptt(0, 1);  // the next key request keys as usual, and counts again
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock);
    EXPECT_EQ(window.timerStarts.size(), 2U);
}

TEST_F(TransmitLimitTest, RepeatedKeyingDoesNotStartTheCountAgainAndReceiveStopsIt) {
    startWithLimit("2");
    form.ptt(0, 1);
    form.ptt(0, 1);
    form.indicatorClicked();  // unkeys
    EXPECT_EQ(window.timerStarts.size(), 1U);
    EXPECT_FALSE(window.timerRunning);
    form.transmitTimerFired();  // a tick already on its way when the timer stopped
    EXPECT_EQ(lineOf(1), kOnBlock + kOnBlock + kOffBlock);
    EXPECT_EQ(window.beeps, 0);
}

TEST_F(TransmitLimitTest, OffOrUnreadableLimitNeverStartsATimer) {
    for (const char* stored : {"0", "", "  "}) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(transmitLimitFromText(stored), 0U);
    }
    for (const char* stored : {"abc", "-5", "2.5", "60.5", "+60", "\t60", "6 0"}) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(transmitLimitFromText(stored), std::nullopt);
    }
    EXPECT_EQ(transmitLimitFromText(" 180 "), 180U);
    EXPECT_EQ(transmitLimitFromText("99999999999"), kLongestTransmitLimit);

    startWithLimit("abc");
    form.ptt(0, 1);
    form.ptt(0, 0);
    EXPECT_EQ(form.transmitLimit(), 0U);
    EXPECT_TRUE(window.timerStarts.empty());
}

TEST_F(TransmitLimitTest, StoredLimitNotUnderstoodIsLoggedOnceAtStartUpAndIsOff) {
    startWithLimit("60.5");
    EXPECT_TRUE(logged("stored Win/TxLimit = \"60.5\" not understood: transmit time limit off"));
    EXPECT_TRUE(logged("zelt 3.00 started: COM1, 4800,n,8,2, transmit time limit off"));
    form.ptt(0, 1);
    EXPECT_TRUE(window.timerStarts.empty());
    const auto texts = eventTexts();
    EXPECT_EQ(std::count_if(
                  texts.begin(), texts.end(),
                  [](const std::string& text) { return text.find("not understood") != std::string::npos; }),
              1);
}

TEST_F(TransmitLimitTest, ChosenLimitIsStoredAtOnceAndCountsFromNowWhileTransmitting) {
    startUp();
    form.ptt(0, 1);
    EXPECT_FALSE(window.timerRunning);
    form.chooseTransmitLimit(60);
    EXPECT_EQ(store.get("Win", "TxLimit"), "60");
    EXPECT_EQ(window.timerStarts, std::vector<std::uint32_t>{60000});
    EXPECT_TRUE(logged("stored Win/TxLimit = \"60\""));
    form.chooseTransmitLimit(0);
    EXPECT_EQ(store.get("Win", "TxLimit"), "0");
    EXPECT_FALSE(window.timerRunning);
}

TEST_F(TransmitLimitTest, UnkeyThatCannotBeDeliveredIsTriedAgainSoon) {
    startWithLimit("2");
    form.ptt(0, 1);
    port.deviceDiesOnNextWrite = true;
    form.transmitTimerFired();
    EXPECT_TRUE(form.transmitting());
    EXPECT_EQ(window.beeps, 1);
    EXPECT_EQ(window.timerStarts.back(), 5000U);
    form.transmitTimerFired();  // the adapter is back: the next attempt opens the port and unkeys
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
}

// A message box holds the port closed for requests, not against the limit: the unkey goes out at
// once, and a key request held up meanwhile never goes out after it.
TEST_F(TransmitLimitTest, PortHeldByAMessageBoxIsOpenedForTheUnkeyAtOnce) {
    startWithLimit("2");
    form.ptt(0, 1);
    store.put("Com", "Settings", "bad");
    window.onShow = [this] {
        EXPECT_THROW(form.ptt(0, 1), Failure);
        form.transmitTimerFired();
        EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
        EXPECT_FALSE(form.transmitting());
    };
    form.lineSettingsLeft();  // "Invalid comport settings"
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
    EXPECT_EQ(window.beeps, 1);
}

// A host that keys again and again cannot keep the radio on the air past the limit: its key
// requests are refused until it unkeys, as a transceiver's own time-out timer holds until the
// microphone's PTT is let go.
TEST_F(TransmitLimitTest, LoopingHostIsHeldOffUntilItUnkeys) {
    startWithLimit("2");
    const auto explained = [this] {
        const auto texts = eventTexts();
        return std::count_if(texts.begin(), texts.end(), [](const std::string& text) {
            return text.rfind("transmit time limit: the host's key requests are refused", 0) == 0;
        });
    };
    form.hostRequest(0, 1);
    form.transmitTimerFired();
    for (int i = 0; i < 3; ++i) EXPECT_THROW(form.hostRequest(0, 1), Failure);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
    EXPECT_EQ(explained(), 1);
    EXPECT_EQ(eventTexts().back(),
              "host: request 0, state 1: failed: refused while the transmit time limit holds [code 70]");

    form.hostRequest(0, 0);  // the host lets go of its PTT
    form.hostRequest(0, 1);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOffBlock + kOnBlock);
    EXPECT_TRUE(form.transmitting());
    form.transmitTimerFired();
    EXPECT_THROW(form.hostRequest(0, 1), Failure);
    EXPECT_EQ(explained(), 2);  // each hold says why once
}

TEST_F(TransmitLimitTest, OperatorKeysThroughAHoldByHandAndTurningTheLimitOffEndsIt) {
    startWithLimit("2");
    form.hostRequest(0, 1);
    form.transmitTimerFired();
    form.menuTransmit();  // the operator is at the microphone
    EXPECT_TRUE(form.transmitting());
    form.hostRequest(0, 1);
    form.transmitTimerFired();
    form.chooseTransmitLimit(0);
    form.hostRequest(0, 1);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock + kOnBlock + kOffBlock + kOnBlock);
    EXPECT_FALSE(window.timerRunning);
}

}  // namespace
}  // namespace zelt::testing
