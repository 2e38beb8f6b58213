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
    EXPECT_TRUE(timer.running);
    EXPECT_EQ(timer.starts, std::vector<std::uint32_t>{2000});

    form.transmitTimerFired();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(form.indicator.fillColor(), kGreen);
    EXPECT_EQ(operatorUi.beeps, 1);
    EXPECT_FALSE(timer.running);
    EXPECT_TRUE(logged("transmit time limit (2 s) reached: wrote 00 00 00 00 0F"));

    form.ptt(0, 1);  // the next key request keys as usual, and counts again
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock);
    EXPECT_EQ(timer.starts.size(), 2U);
}

TEST_F(TransmitLimitTest, RepeatedKeyingDoesNotStartTheCountAgainAndReceiveStopsIt) {
    startWithLimit("2");
    form.ptt(0, 1);
    form.ptt(0, 1);
    form.indicatorTarget.userClick();  // unkeys
    EXPECT_EQ(timer.starts.size(), 1U);
    EXPECT_FALSE(timer.running);
    form.transmitTimerFired();  // a tick already on its way when the timer stopped
    EXPECT_EQ(lineOf(1), kOnBlock + kOnBlock + kOffBlock);
    EXPECT_EQ(operatorUi.beeps, 0);
}

TEST_F(TransmitLimitTest, OffOrUnreadableLimitNeverStartsATimer) {
    for (const char* stored : {"0", "abc", "", "-5", "2.5"}) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(transmitLimitFromText(stored), 0U);
    }
    startWithLimit("abc");
    form.ptt(0, 1);
    form.ptt(0, 0);
    EXPECT_EQ(form.transmitLimit(), 0U);
    EXPECT_TRUE(timer.starts.empty());
    EXPECT_EQ(transmitLimitFromText(" 180 "), 180U);
    EXPECT_EQ(transmitLimitFromText("99999999999"), kLongestTransmitLimit);
}

TEST_F(TransmitLimitTest, ChosenLimitIsStoredAtOnceAndCountsFromNowWhileTransmitting) {
    startUp();
    form.ptt(0, 1);
    EXPECT_FALSE(timer.running);
    form.chooseTransmitLimit(60);
    EXPECT_EQ(store.get("Win", "TxLimit"), "60");
    EXPECT_EQ(timer.starts, std::vector<std::uint32_t>{60000});
    EXPECT_TRUE(logged("stored Win/TxLimit = \"60\""));
    form.chooseTransmitLimit(0);
    EXPECT_EQ(store.get("Win", "TxLimit"), "0");
    EXPECT_FALSE(timer.running);
}

TEST_F(TransmitLimitTest, UnkeyThatCannotBeDeliveredIsTriedAgainSoon) {
    startWithLimit("2");
    form.ptt(0, 1);
    port.deviceDiesOnNextWrite = true;
    form.transmitTimerFired();
    EXPECT_EQ(form.indicator.fillColor(), kRed);
    EXPECT_EQ(operatorUi.beeps, 1);
    EXPECT_EQ(timer.starts.back(), 5000U);
    form.transmitTimerFired();  // the adapter is back: the next attempt opens the port and unkeys
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(form.indicator.fillColor(), kGreen);
}

TEST_F(TransmitLimitTest, PortHeldByAMessageBoxGetsTheUnkeyWhenTheBoxCloses) {
    startWithLimit("2");
    form.ptt(0, 1);
    store.put("Com", "Settings", "bad");
    messages.onShow = [this] {
        form.transmitTimerFired();
        EXPECT_EQ(lineOf(1), kOnBlock);  // nothing goes out while the box holds the port
    };
    form.lineSettingsBox.userLeave();  // "Invalid comport settings"
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(form.indicator.fillColor(), kGreen);
    EXPECT_EQ(operatorUi.beeps, 1);
}

}  // namespace
}  // namespace zelt::testing
