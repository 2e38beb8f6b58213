#include "app/radio_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "fakes/fake_clock.h"
#include "fakes/fake_serial_port.h"
#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

using State = RadioLine::State;

// The line on a fake port, opened on COM1 as start-up leaves it; every change of state it reports
// is kept, and every byte each radio got.
class RadioLineTest : public ::testing::Test {
  protected:
    RadioLineTest() {
        // Each change comes with the state it changed from: the last one told, or receiving.
        line.onStateChanged = [this](State before, State now) {
            EXPECT_EQ(before, told.empty() ? State::Receiving : told.back());
            told.push_back(now);
        };
        line.open();
    }

    std::string lineOf(int number) const {
        std::string bytes;
        for (const auto& [port, written] : port.written) {
            if (port == number) bytes += written;
        }
        return bytes;
    }
    bool logged(const std::string& text) const {
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events.at(i).text == text) return true;
        }
        return false;
    }
    std::int32_t failureOf(bool transmit) {
        try {
            line.request(transmit);
        } catch (const Failure& failure) {
            return failure.code();
        }
        return 0;
    }
    // The adapter comes back on a new handle.
    void putBack(int number) { port.present.insert(number); }

    CallLog calls;
    FakeSerialPort port{calls};
    FakeClock clock;
    EventLog events{clock};
    RadioLine line{port, events};
    std::vector<State> told;
};

TEST_F(RadioLineTest, TellsEachChangeOfStateOnceAndRepeatsEveryRequest) {
    line.request(true);
    line.request(true);
    line.request(false);
    line.request(false);
    EXPECT_EQ(lineOf(1), kOnBlock + kOnBlock + kOffBlock + kOffBlock);
    EXPECT_EQ(told, (std::vector<State>{State::Transmitting, State::Receiving}));
    EXPECT_EQ(line.written(), kOffBlock);
}

TEST_F(RadioLineTest, RefusedNumbersAndSettingsLeaveThoseInForce) {
    for (const std::int16_t number : std::initializer_list<std::int16_t>{0, -1, 256}) {
        EXPECT_THROW(line.setPortNumber(number), Failure) << number;
    }
    EXPECT_EQ(line.portNumber(), 1);
    line.setPortNumber(255);
    EXPECT_EQ(line.portNumber(), 255);
    for (const char* text : {"", "9600", "9600,n,8", "9600,x,8,1", "9600,n,8,1,"}) {
        EXPECT_THROW(line.setLineSettings(text), Failure) << text;
    }
    EXPECT_EQ(line.lineSettings(), "4800,n,8,2");
    line.setLineSettings("9600,E,7,1");
    line.close();
    line.setPortNumber(2);
    line.open();
    EXPECT_EQ(port.openedWith(), settingsOf("9600,e,7,1"));
    EXPECT_TRUE(logged("COM2 opened (9600,E,7,1)"));
}

// RF in the USB cable: the adapter resets while the radio is keyed, and the host's unkey cannot be
// delivered. The radio may still be transmitting; the unkey goes out the moment the port is back.
TEST_F(RadioLineTest, UnkeyThatCouldNotBeDeliveredGoesOutWhenTheAdapterIsBack) {
    line.request(true);
    port.pullOut(1);
    EXPECT_EQ(failureOf(false), 22);  // the dead handle fails and is closed
    EXPECT_EQ(line.state(), State::MayBeTransmitting);
    EXPECT_EQ(failureOf(false), failure_code::kPortNotOpen);  // absent: one open attempt
    line.devicesChanged();
    EXPECT_EQ(line.state(), State::MayBeTransmitting);

    putBack(1);
    line.portArrived(1);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(line.state(), State::Receiving);
    EXPECT_EQ(told, (std::vector<State>{State::Transmitting, State::MayBeTransmitting, State::Receiving}));
    EXPECT_TRUE(logged("unkey that could not be delivered before: wrote 00 00 00 00 0F"));
    line.request(true);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock);
}

// An unkey that never reached a write (the port was already closed and would not open) is owed
// as much as one whose write failed; so is one that letting go could not deliver.
TEST_F(RadioLineTest, UnkeyThatCouldNotEvenOpenThePortIsOwedToo) {
    line.request(true);
    port.pullOut(1);
    line.portRemoved(1);
    EXPECT_EQ(line.state(), State::Transmitting);
    EXPECT_EQ(failureOf(false), failure_code::kPortNotOpen);
    EXPECT_EQ(line.state(), State::MayBeTransmitting);
    putBack(1);
    line.portArrived(1);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);

    line.request(true);
    port.pullOut(1);
    line.portRemoved(1);
    EXPECT_FALSE(line.letGo("transmit time limit (2 s) reached"));
    EXPECT_EQ(line.state(), State::MayBeTransmitting);
    putBack(1);
    line.devicesChanged();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock + kOffBlock);
    EXPECT_EQ(line.state(), State::Receiving);
}

// The host was told nothing went out, so a key request that failed is never carried out later.
TEST_F(RadioLineTest, KeyRequestThatFailedWhileThePortWasGoneIsNeverCarriedOutLater) {
    port.pullOut(1);
    EXPECT_NE(failureOf(true), 0);
    EXPECT_NE(failureOf(true), 0);
    putBack(1);
    line.devicesChanged();
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(lineOf(1), "");
    EXPECT_EQ(line.state(), State::Receiving);

    // Nor when an unkey was owed: the owed unkey goes out, the key does not.
    line.request(true);
    port.pullOut(1);
    EXPECT_NE(failureOf(false), 0);
    EXPECT_NE(failureOf(true), 0);
    EXPECT_EQ(line.state(), State::MayBeTransmitting);
    putBack(1);
    line.devicesChanged();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(line.state(), State::Receiving);
}

// Pulled out and put back while idle: no write fails to tell, so the handle is asked when devices
// change, and the first request after the adapter is back reaches the radio.
TEST_F(RadioLineTest, AdapterPulledOutWhileIdleIsClosedAtOnceAndOpenedWhenBack) {
    port.pullOut(1);
    line.devicesChanged();
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_TRUE(logged("COM1 went away"));
    EXPECT_TRUE(logged("COM1 closed"));
    putBack(1);
    line.devicesChanged();
    EXPECT_TRUE(port.isOpenNow());
    line.request(true);
    EXPECT_EQ(lineOf(1), kOnBlock);

    // Named by Windows: only this line's port counts.
    line.portRemoved(2);
    EXPECT_TRUE(port.isOpenNow());
    line.portRemoved(1);
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_EQ(line.state(), State::Transmitting);  // the radio keeps what it was told
    line.portArrived(3);
    EXPECT_FALSE(port.isOpenNow());
    line.portArrived(1);
    EXPECT_TRUE(port.isOpenNow());
    EXPECT_EQ(lineOf(1), kOnBlock);  // keyed as asked: nothing is owed
}

TEST_F(RadioLineTest, SleepUnkeysAndClosesBeforeReturningAndWakingOpensAfresh) {
    line.request(true);
    calls.calls.clear();
    line.suspending(RadioLine::kSleepWaitMs);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(line.state(), State::Receiving);
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_LT(calls.indexOf("write"), calls.indexOf("close"));
    EXPECT_TRUE(logged("unkey before sleep: wrote 00 00 00 00 0F"));
    line.resumed(false);
    EXPECT_TRUE(port.isOpenNow());
    line.request(true);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock);

    // An adapter gone at sleep: the unkey is owed, and goes out after waking once it is back.
    port.pullOut(1);
    line.suspending(RadioLine::kSleepWaitMs);
    EXPECT_EQ(line.state(), State::MayBeTransmitting);
    putBack(1);
    line.resumed(false);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock + kOffBlock);
    EXPECT_EQ(line.state(), State::Receiving);
}

// A write cut short tears a block. Whatever was torn, the radio ends unkeyed before anything else
// goes out, and an unkey torn while keyed is owed like one that failed.
TEST_F(RadioLineTest, TornUnkeyIsOwedAndCompletedByTheNextChanceThatComes) {
    line.request(true);
    port.takeOnly = 2;
    EXPECT_EQ(failureOf(false), failure_code::kWriteTimeout);
    EXPECT_EQ(line.state(), State::MayBeTransmitting);
    EXPECT_EQ(line.written(), std::string(2, '\0'));
    line.devicesChanged();  // the port answers; the owed unkey is completed there
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOffBlock);
    EXPECT_EQ(line.state(), State::Receiving);

    // A key torn while receiving owes a realignment but leaves the radio receiving; letting go
    // realigns it.
    port.takeOnly = 4;
    EXPECT_EQ(failureOf(true), failure_code::kWriteTimeout);
    EXPECT_EQ(line.state(), State::Receiving);
    EXPECT_TRUE(line.letGo("unkey at session end"));
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOffBlock + kOnBlock + kOffBlock);
    EXPECT_TRUE(line.letGo("again"));
    EXPECT_EQ(lineOf(1).size(), 25U);  // nothing more was owed
}

TEST_F(RadioLineTest, RealignmentCutShortAfterTheKeyItCompletesIsOwed) {
    port.takeOnly = 4;
    EXPECT_NE(failureOf(true), 0);
    port.takeOnly = 1;  // completes 00 00 00 01 with 0F: the radio keys, and nobody asked
    EXPECT_NE(failureOf(false), 0);
    EXPECT_EQ(line.state(), State::MayBeTransmitting);
    EXPECT_TRUE(line.letGo("unkey at shut-down"));
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
}

TEST_F(RadioLineTest, ReleasedLineUnkeysClosesAndNeverOpensAgain) {
    line.request(true);
    line.release();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_TRUE(line.released());
    EXPECT_EQ(failureOf(true), failure_code::kPortNotOpen);
    line.devicesChanged();
    line.portArrived(1);
    line.resumed(false);
    EXPECT_FALSE(port.isOpenNow());
    EXPECT_EQ(port.opens, 1);
}

// --- The form: requests, closing and the time limit's hold, over the line ---

class RadioLineFormTest : public FormFixture {
  protected:
    RadioLineFormTest() {
        startUp();
        port.written.clear();
    }
};

TEST_F(RadioLineFormTest, CloseRequestWhileKeyedUnkeysBeforeAnyWindowIsDestroyed) {
    form.hostRequest(0, 1);
    log.calls.clear();
    form.hostRequest(1, 0);
    EXPECT_LT(log.indexOf("write"), log.indexOf("closeWindow"));
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(port.isOpenNow());
}

TEST_F(RadioLineFormTest, IndicatorAndMenuFollowTheLineNotTheOtherWayRound) {
    form.hostRequest(0, 1);
    port.pullOut(1);
    EXPECT_THROW(form.hostRequest(0, 0), Failure);
    EXPECT_TRUE(form.transmitting());  // may still be transmitting
    port.present.insert(1);
    // The click's unkey finds the port closed: it is owed, and goes out as the port opens again.
    EXPECT_THROW(form.indicatorClicked(), Failure);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
}

// Everything at once: a stalled line at the time limit, the hold, a message box holding the port,
// a port change and the end of the session. The radios end unkeyed and get exactly these bytes.
TEST_F(RadioLineFormTest, StalledLineTimeLimitMessageBoxPortChangeAndSessionEndTogether) {
    form.chooseTransmitLimit(2);
    form.panelButtonClicked();
    form.hostRequest(0, 1);
    port.takeOnly = 0;  // the radio stops reading
    form.transmitTimerFired();
    EXPECT_TRUE(form.transmitting());
    EXPECT_EQ(window.timerStarts.back(), 5000U);    // tried again soon
    EXPECT_THROW(form.hostRequest(0, 1), Failure);  // held off by the limit

    store.put("Com", "Settings", "bad");
    window.onShow = [this] {
        form.transmitTimerFired();  // the retry comes while the box holds the port
        EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
        EXPECT_FALSE(form.transmitting());
    };
    form.lineSettingsLeft();
    EXPECT_TRUE(port.isOpenNow());

    form.portChosen(2);
    EXPECT_THROW(form.hostRequest(0, 1), Failure);  // still held: the host never let go
    form.hostRequest(0, 0);
    form.hostRequest(0, 1);
    form.sessionEnding();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(lineOf(3), kOffBlock + kOnBlock + kOffBlock);
    EXPECT_FALSE(form.transmitting());
    EXPECT_EQ(window.beeps, 2);
}

TEST_F(RadioLineFormTest, DeviceEventsBeforeStartUpHasOpenedThePortLeaveItAlone) {
    CallLog early;
    FakeSerialPort fresh{early};
    MainForm unloaded{{fresh, store, window, events}};
    unloaded.portArrived(1);
    unloaded.devicesChanged();
    unloaded.resumed(false);
    EXPECT_EQ(fresh.opens, 0);
    EXPECT_EQ(unloaded.portCount(), 4);
}

}  // namespace
}  // namespace zelt::testing
