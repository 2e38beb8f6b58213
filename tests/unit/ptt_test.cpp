#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zelt::testing
