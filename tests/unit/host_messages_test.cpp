#include <gtest/gtest.h>

#include "fakes/form_fixture.h"
#include "hostlink/host_messages.h"

namespace zelt::testing {
namespace {

// The host link as wired in the program: requests go to the form's ptt. Plays the window's previous
// procedure: records what reached it and answers with a known value.
class HostMessagesTest : public FormFixture {
  protected:
    struct Forwarded {
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    std::vector<Forwarded> forwarded;
    bool alive = true;

    HostMessages hostMessages;
    static constexpr std::uint32_t kMessage = 0xC123;

    HostMessagesTest() {
        startUp();
        hostMessages.setMessage(kMessage);
        hostMessages.onRequest = [this](std::int32_t request, std::int32_t state) {
            form.ptt(request, state);
        };
    }

    std::intptr_t send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        return hostMessages.dispatch(
            message, wParam, lParam,
            [&] {
                forwarded.push_back({message, wParam, lParam});
                return std::intptr_t{0x7777};
            },
            [&] { return alive && !window.closed; });
    }
};

TEST_F(HostMessagesTest, StartUpRegistersTheMessageAndHooksTheWindowFirst) {
    FakeWindow freshWindow{log};
    MainForm other{{port, store, freshWindow, events}};
    log.calls.clear();
    other.load();
    EXPECT_EQ(log.calls.at(0), "listenToHost");
}

TEST_F(HostMessagesTest, OtherMessagesPassThroughUnchangedWithTheirResult) {
    const std::uintptr_t wide = ~std::uintptr_t{0} - 5;
    EXPECT_EQ(send(0x0111, wide, -99), 0x7777);
    ASSERT_EQ(forwarded.size(), 1U);
    EXPECT_EQ(forwarded[0].message, 0x0111U);
    EXPECT_EQ(forwarded[0].wParam, wide);
    EXPECT_EQ(forwarded[0].lParam, -99);
    EXPECT_TRUE(port.written.empty());
}

TEST_F(HostMessagesTest, HostMessageIsActedOnFirstThenPassedOn) {
    EXPECT_EQ(send(kMessage, 0, 1), 0x7777);
    EXPECT_EQ(bytesOn(1), std::vector<std::string>{kOnBlock});
    ASSERT_EQ(forwarded.size(), 1U);
    EXPECT_EQ(forwarded[0].lParam, 1);
}

TEST_F(HostMessagesTest, ParametersAreReadAsSigned32BitValues) {
    send(kMessage, 0, 1);
    // -1 as a 64-bit wParam and state 0 with garbage in the high half: still (-1, ...) and (0, 0).
    send(kMessage, ~std::uintptr_t{0}, 0);
    send(kMessage, std::uintptr_t{0xFFFF'FFFF'0000'0000ULL}, std::intptr_t{0x1'0000'0000LL});
    EXPECT_EQ(bytesOn(1), (std::vector<std::string>{kOnBlock, kOffBlock}));
}

TEST_F(HostMessagesTest, IgnoredRequestIsStillPassedOn) {
    send(kMessage, 7, 7);
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(forwarded.size(), 1U);
}

TEST_F(HostMessagesTest, CloseRequestDestroysTheWindowAndTheForwardingSparesIt) {
    EXPECT_EQ(send(kMessage, 1, 0), 0);
    EXPECT_TRUE(window.closed);
    EXPECT_TRUE(forwarded.empty());
    EXPECT_TRUE(port.written.empty());
}

TEST_F(HostMessagesTest, FailedRequestIsNotPassedOnAndNothingEscapes) {
    port.forceOpen(false);
    port.present.erase(1);
    EXPECT_EQ(send(kMessage, 0, 1), 0);
    EXPECT_TRUE(forwarded.empty());
    EXPECT_FALSE(form.transmitting());
    // The next message flows as before.
    EXPECT_EQ(send(0x000F, 0, 0), 0x7777);
}

TEST_F(HostMessagesTest, UnregisteredMessageNeverTurnsNullMessagesIntoRequests) {
    HostMessages unregistered;
    unregistered.onRequest = [this](std::int32_t request, std::int32_t state) { form.ptt(request, state); };
    const auto result = unregistered.dispatch(
        0, 0, 0, [] { return std::intptr_t{5}; }, [] { return true; });
    EXPECT_EQ(result, 5);
    EXPECT_TRUE(port.written.empty());
}

}  // namespace
}  // namespace zelt::testing
