#include <gtest/gtest.h>

#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

// Plays the window's previous procedure: records what reached it and answers with a known value.
class WndProcsTest : public FormFixture {
  protected:
    struct Forwarded {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    std::vector<Forwarded> forwarded;
    bool alive = true;

    WndProcsTest() { startUp(); }

    std::intptr_t send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        return wndProcs.dispatch(
            form, message, wParam, lParam,
            [&] {
                forwarded.push_back({message, wParam, lParam});
                return std::intptr_t{0x7777};
            },
            [&] { return alive && !window.destroyed; });
    }
};

TEST_F(WndProcsTest, StartUpRegistersTheMessageAndKeepsThePreviousProcedureWhole) {
    FakeWindowSystem freshWindow{log};
    WndProcs fresh;
    MainForm other{{port, store, freshWindow, messages, fresh}};
    log.calls.clear();
    other.load();
    EXPECT_EQ(log.calls.at(0), "registerMessage(REDUDORORU)");
    EXPECT_EQ(log.calls.at(1), "hookWindow");
    EXPECT_EQ(fresh.PttMessage, 0xC123U);
    EXPECT_EQ(fresh.PrevWndProc, 0x1234'5678'9ABCULL);  // all 64 bits of a window procedure
}

TEST_F(WndProcsTest, OtherMessagesPassThroughUnchangedWithTheirResult) {
    const std::uintptr_t wide = ~std::uintptr_t{0} - 5;
    EXPECT_EQ(send(0x0111, wide, -99), 0x7777);
    ASSERT_EQ(forwarded.size(), 1U);
    EXPECT_EQ(forwarded[0].message, 0x0111U);
    EXPECT_EQ(forwarded[0].wParam, wide);
    EXPECT_EQ(forwarded[0].lParam, -99);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(WndProcsTest, HostMessageIsActedOnFirstThenPassedOn) {
    EXPECT_EQ(send(wndProcs.PttMessage, 0, 1), 0x7777);
    EXPECT_EQ(bytesOn(1), std::vector<std::string>{kOnBlock});
    ASSERT_EQ(forwarded.size(), 1U);
    EXPECT_EQ(forwarded[0].lParam, 1);
}

TEST_F(WndProcsTest, ParametersAreReadAsSigned32BitValues) {
    send(wndProcs.PttMessage, 0, 1);
    // -1 as a 64-bit wParam and state 0 with garbage in the high half: still (-1, ...) and (0, 0).
    send(wndProcs.PttMessage, ~std::uintptr_t{0}, 0);
    send(wndProcs.PttMessage, std::uintptr_t{0xFFFF'FFFF'0000'0000ULL}, std::intptr_t{0x1'0000'0000LL});
    EXPECT_EQ(bytesOn(1), (std::vector<std::string>{kOnBlock, kOffBlock}));
}

TEST_F(WndProcsTest, IgnoredRequestIsStillPassedOn) {
    send(wndProcs.PttMessage, 7, 7);
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(forwarded.size(), 1U);
}

TEST_F(WndProcsTest, CloseRequestDestroysTheWindowAndTheForwardingSparesIt) {
    EXPECT_EQ(send(wndProcs.PttMessage, 1, 0), 0);
    EXPECT_TRUE(window.destroyed);
    EXPECT_TRUE(forwarded.empty());
    EXPECT_TRUE(port.written.empty());
}

TEST_F(WndProcsTest, FailedRequestIsNotPassedOnAndNothingEscapes) {
    port.setPortOpen(false);
    port.present.erase(1);
    EXPECT_EQ(send(wndProcs.PttMessage, 0, 1), 0);
    EXPECT_TRUE(forwarded.empty());
    EXPECT_EQ(form.indicator.fillColor(), kGreen);
    // The next message flows as before.
    EXPECT_EQ(send(0x000F, 0, 0), 0x7777);
}

TEST_F(WndProcsTest, UnregisteredMessageNeverTurnsNullMessagesIntoRequests) {
    WndProcs unregistered;
    const auto result = unregistered.dispatch(
        form, 0, 0, 0, [] { return std::intptr_t{5}; }, [] { return true; });
    EXPECT_EQ(result, 5);
    EXPECT_TRUE(port.written.empty());
}

}  // namespace
}  // namespace zelt::testing
