#include "port/win32_serial_port.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "common/failure.h"

namespace zelt {
namespace {

using namespace std::chrono_literals;

const std::string kPttOff("\x00\x00\x00\x00\x0F", 5);
const std::string kPttOn("\x00\x00\x00\x01\x0F", 5);

template <typename Body>
std::int32_t failureCode(Body&& body) {
    try {
        body();
    } catch (const Failure& failure) {
        return failure.code();
    }
    return 0;
}

// ---- Refusals that need no radio ----

TEST(Win32SerialPortTest, StartsClosedOnComOneWithTheDefaultSettings) {
    Win32SerialPort port;
    EXPECT_EQ(port.commPort(), 1);
    EXPECT_EQ(port.settings(), "4800,n,8,2");
    EXPECT_FALSE(port.portOpen());
}

TEST(Win32SerialPortTest, RefusesPortNumbersThatNameNoPort) {
    Win32SerialPort port;
    port.setCommPort(3);
    for (const std::int16_t number : {0, -1, 256, -32768, 32767}) {
        EXPECT_EQ(failureCode([&] { port.setCommPort(number); }), failure_code::kInvalidPropertyValue)
            << number;
        EXPECT_EQ(port.commPort(), 3) << number;
    }
}

TEST(Win32SerialPortTest, TakesPortNumbersUpTo255) {
    Win32SerialPort port;
    for (const std::int16_t number : {1, 4, 10, 255}) {
        port.setCommPort(number);
        EXPECT_EQ(port.commPort(), number);
    }
}

TEST(Win32SerialPortTest, RefusedSettingsLeaveTheSettingsInForce) {
    Win32SerialPort port;
    port.setSettings("9600,n,8,1");
    EXPECT_EQ(port.settings(), "9600,n,8,1");
    for (const char* text :
         {"", "9600,n,8", "9600,n,8,1,1", "junk", " 9600,n,8,1", "9601,n,8,1", "9600,x,8,1"}) {
        EXPECT_EQ(failureCode([&] { port.setSettings(text); }), failure_code::kInvalidPropertyValue) << text;
        EXPECT_EQ(port.settings(), "9600,n,8,1") << text;
    }
}

TEST(Win32SerialPortTest, WriteWhileClosedFails) {
    Win32SerialPort port;
    EXPECT_EQ(failureCode([&] { port.output(kPttOn); }), failure_code::kPortNotOpen);
    EXPECT_FALSE(port.portOpen());
}

TEST(Win32SerialPortTest, OpeningAnAbsentPortFailsWithTheSystemsCodeAndStaysClosed) {
    Win32SerialPort port;
    port.setCommPort(200);
    const std::int32_t code = failureCode([&] { port.setPortOpen(true); });
    EXPECT_GT(code, 0);
    EXPECT_NE(code, failure_code::kPortNotOpen);
    EXPECT_FALSE(port.portOpen());
    EXPECT_EQ(failureCode([&] { port.output(kPttOn); }), failure_code::kPortNotOpen);
    // Settings are still taken while closed after a failed open.
    port.setSettings("9600,n,8,1");
    EXPECT_EQ(port.settings(), "9600,n,8,1");
}

TEST(Win32SerialPortTest, ClosingAClosedPortSucceeds) {
    Win32SerialPort port;
    port.setPortOpen(false);
    EXPECT_FALSE(port.portOpen());
}

// ---- Tests against a radio on a real port ----
//
// ZELT_TEST_PORT: the COM number the runner gave the radio's line.
// ZELT_TEST_RADIO_LOG: a file to which the radio appends every byte it reads.
// ZELT_TEST_RADIO_PAUSE: while this file exists the radio stops reading; it answers by creating
// the same name with ".ack" appended, and removes the answer when it reads again.

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

template <typename Condition>
bool waitFor(Condition&& condition, std::chrono::milliseconds limit = 5000ms) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        Sleep(10);
    }
    return true;
}

class RadioPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto number = environment("ZELT_TEST_PORT");
        if (!number) GTEST_SKIP() << "ZELT_TEST_PORT is not set";
        number_ = static_cast<std::int16_t>(std::stoi(*number));
        log_ = environment("ZELT_TEST_RADIO_LOG");
        pause_ = environment("ZELT_TEST_RADIO_PAUSE");
        port_.setCommPort(number_);
    }

    // Waits until the radio has read `expected` after everything it had read before `mark`.
    void expectReceivedSince(std::size_t mark, const std::string& expected) {
        if (!log_) return;
        std::string received;
        waitFor([&] {
            received = readFile(*log_);
            return received.size() >= mark + expected.size();
        });
        ASSERT_GE(received.size(), mark) << "the radio log shrank";
        EXPECT_EQ(received.substr(mark), expected);
    }

    std::size_t receivedSoFar() const { return log_ ? readFile(*log_).size() : 0; }

    // Reads the line's state through a second handle; Wine lets one port be opened twice, Windows
    // does not, so the caller skips where that is refused.
    std::optional<DCB> lineStateSeenFromOutside() const {
        const std::wstring name = L"\\\\.\\COM" + std::to_wstring(number_);
        HANDLE handle =
            CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
        DCB dcb{};
        dcb.DCBlength = sizeof(dcb);
        const bool read = GetCommState(handle, &dcb);
        CloseHandle(handle);
        if (!read) return std::nullopt;
        return dcb;
    }

    std::int16_t number_ = 0;
    std::optional<std::string> log_;
    std::optional<std::string> pause_;
    Win32SerialPort port_;
};

TEST_F(RadioPortTest, OpensAndSendsPttBlocks) {
    const std::size_t mark = receivedSoFar();
    port_.setPortOpen(true);
    ASSERT_TRUE(port_.portOpen());
    port_.output(kPttOn);
    port_.output(kPttOff);
    expectReceivedSince(mark, kPttOn + kPttOff);
}

TEST_F(RadioPortTest, SendsEveryByteValueAsItIs) {
    std::string all;
    for (int code = 0; code < 256; ++code) all.push_back(static_cast<char>(code));
    const std::size_t mark = receivedSoFar();
    port_.setSettings("9600,n,8,1");
    port_.setPortOpen(true);
    port_.output(all);
    expectReceivedSince(mark, all);
}

TEST_F(RadioPortTest, OpeningAnOpenPortChangesNothing) {
    const std::size_t mark = receivedSoFar();
    port_.setPortOpen(true);
    port_.setPortOpen(true);
    EXPECT_TRUE(port_.portOpen());
    port_.output(kPttOn);
    expectReceivedSince(mark, kPttOn);
}

TEST_F(RadioPortTest, PortNumberCannotChangeWhileOpen) {
    port_.setPortOpen(true);
    const std::int16_t other = number_ == 1 ? 2 : 1;
    EXPECT_EQ(failureCode([&] { port_.setCommPort(other); }), failure_code::kPortAlreadyOpen);
    EXPECT_EQ(failureCode([&] { port_.setCommPort(number_); }), failure_code::kPortAlreadyOpen);
    EXPECT_EQ(port_.commPort(), number_);
    EXPECT_TRUE(port_.portOpen());
    // Invalid numbers stay invalid while open.
    EXPECT_NE(failureCode([&] { port_.setCommPort(0); }), 0);
}

TEST_F(RadioPortTest, OpensWithTheSettingsAndTurnsFlowControlOff) {
    port_.setSettings("9600,e,7,1");
    port_.setPortOpen(true);
    const auto dcb = lineStateSeenFromOutside();
    if (!dcb) GTEST_SKIP() << "the port cannot be opened a second time here";
    // A pty keeps the rate and stop bits but always reports 8 data bits and no parity.
    EXPECT_EQ(dcb->BaudRate, 9600u);
    EXPECT_EQ(dcb->StopBits, ONESTOPBIT);
    EXPECT_FALSE(dcb->fOutxCtsFlow);
    EXPECT_FALSE(dcb->fOutX);
    EXPECT_FALSE(dcb->fInX);
}

TEST_F(RadioPortTest, NewSettingsApplyToTheOpenPortAtOnce) {
    port_.setPortOpen(true);
    port_.setSettings("19200,o,8,2");
    EXPECT_EQ(port_.settings(), "19200,o,8,2");
    EXPECT_TRUE(port_.portOpen());
    const auto dcb = lineStateSeenFromOutside();
    if (!dcb) GTEST_SKIP() << "the port cannot be opened a second time here";
    EXPECT_EQ(dcb->BaudRate, 19200u);
    EXPECT_EQ(dcb->StopBits, TWOSTOPBITS);
}

TEST_F(RadioPortTest, RefusedSettingsLeaveTheOpenPortAsItWas) {
    port_.setSettings("9600,n,8,1");
    port_.setPortOpen(true);
    EXPECT_EQ(failureCode([&] { port_.setSettings("9600,n,9,1"); }), failure_code::kInvalidPropertyValue);
    EXPECT_EQ(port_.settings(), "9600,n,8,1");
    EXPECT_TRUE(port_.portOpen());
    const std::size_t mark = receivedSoFar();
    port_.output(kPttOff);
    expectReceivedSince(mark, kPttOff);
    const auto dcb = lineStateSeenFromOutside();
    if (!dcb) GTEST_SKIP() << "the port cannot be opened a second time here";
    EXPECT_EQ(dcb->BaudRate, 9600u);
    EXPECT_EQ(dcb->StopBits, ONESTOPBIT);
}

// Four data bits pass the parser but few drivers take them; Wine refuses them.
constexpr const char* kSettingsDriversRefuse = "9600,n,4,1";

TEST_F(RadioPortTest, OpenWithSettingsTheDriverRefusesFailsAndStaysClosed) {
    port_.setSettings(kSettingsDriversRefuse);
    const std::int32_t code = failureCode([&] { port_.setPortOpen(true); });
    if (code == 0) GTEST_SKIP() << "this driver takes " << kSettingsDriversRefuse;
    EXPECT_FALSE(port_.portOpen());
    EXPECT_EQ(failureCode([&] { port_.output(kPttOn); }), failure_code::kPortNotOpen);
    // The handle of the failed open was released: usable settings open the same port.
    port_.setSettings("9600,n,8,1");
    const std::size_t mark = receivedSoFar();
    port_.setPortOpen(true);
    port_.output(kPttOn);
    expectReceivedSince(mark, kPttOn);
}

TEST_F(RadioPortTest, SettingsTheDriverRefusesLeaveThePreviousOnesInForce) {
    port_.setSettings("19200,n,8,2");
    port_.setPortOpen(true);
    const std::int32_t code = failureCode([&] { port_.setSettings(kSettingsDriversRefuse); });
    if (code == 0) GTEST_SKIP() << "this driver takes " << kSettingsDriversRefuse;
    EXPECT_EQ(port_.settings(), "19200,n,8,2");
    EXPECT_TRUE(port_.portOpen());
    const std::size_t mark = receivedSoFar();
    port_.output(kPttOff);
    expectReceivedSince(mark, kPttOff);
    const auto dcb = lineStateSeenFromOutside();
    if (!dcb) GTEST_SKIP() << "the port cannot be opened a second time here";
    EXPECT_EQ(dcb->BaudRate, 19200u);
    EXPECT_EQ(dcb->StopBits, TWOSTOPBITS);
}

TEST_F(RadioPortTest, ClosesAndReopens) {
    port_.setPortOpen(true);
    port_.setPortOpen(false);
    EXPECT_FALSE(port_.portOpen());
    EXPECT_EQ(failureCode([&] { port_.output(kPttOn); }), failure_code::kPortNotOpen);
    const std::size_t mark = receivedSoFar();
    port_.setPortOpen(true);
    EXPECT_TRUE(port_.portOpen());
    port_.output(kPttOff);
    // Only the block written after reopening arrives: the refused write sent nothing.
    expectReceivedSince(mark, kPttOff);
}

TEST_F(RadioPortTest, ReleasesThePortWhenDestroyed) {
    {
        Win32SerialPort first;
        first.setCommPort(number_);
        first.setPortOpen(true);
    }
    const std::size_t mark = receivedSoFar();
    port_.setPortOpen(true);
    port_.output(kPttOn);
    expectReceivedSince(mark, kPttOn);
}

// Runs last: afterwards the radio's log holds whatever part of the stalled write got through.
TEST_F(RadioPortTest, ZzWriteThatBacksUpFailsInBoundedTime) {
    if (!pause_) GTEST_SKIP() << "ZELT_TEST_RADIO_PAUSE is not set";
    const std::string ack = *pause_ + ".ack";
    port_.setPortOpen(true);
    { std::ofstream(*pause_).put('p'); }
    ASSERT_TRUE(waitFor([&] { return fileExists(ack); })) << "the radio did not stop reading";

    // Far more than a line's buffers hold, so the driver cannot take it all while nobody reads.
    const std::string flood(4 << 20, '\xAA');
    const auto start = std::chrono::steady_clock::now();
    const std::int32_t code = failureCode([&] { port_.output(flood); });
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(code, failure_code::kWriteTimeout);
    EXPECT_LT(elapsed, 4s);
    EXPECT_GE(elapsed, 500ms) << "gave up before the radio had a fair chance to read";
    EXPECT_TRUE(port_.portOpen());

    DeleteFileA(pause_->c_str());
    ASSERT_TRUE(waitFor([&] { return !fileExists(ack); })) << "the radio did not read again";
    // The port still works once the radio reads again; the block arrives at the end.
    port_.output(kPttOff);
    if (!log_) return;
    std::string received;
    EXPECT_TRUE(waitFor([&] {
        received = readFile(*log_);
        return received.size() >= kPttOff.size() &&
               received.substr(received.size() - kPttOff.size()) == kPttOff;
    }));
}

}  // namespace
}  // namespace zelt
