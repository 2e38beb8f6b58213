#include "port/win32_serial_port.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "common/failure.h"
#include "tests/win32/port_calls.h"
#include "tests/win32/without_optional_functions.h"

namespace zelt {
namespace {

using namespace std::chrono_literals;

const std::string kPttOff("\x00\x00\x00\x00\x0F", 5);
const std::string kPttOn("\x00\x00\x00\x01\x0F", 5);

LineSettings settingsOf(const char* text) {
    return *parseLineSettings(text);
}

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

TEST(SerialPortTest, StartsClosed) {
    win32::SerialPort port;
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(testing::answersNow(port));
}

TEST(SerialPortTest, WriteWhileClosedFailsAndClosingAClosedPortSucceeds) {
    win32::SerialPort port;
    EXPECT_EQ(failureCode([&] { port.write(kPttOn); }), failure_code::kPortNotOpen);
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialPortTest, OpeningAnAbsentPortFailsWithTheSystemsCodeAndStaysClosed) {
    win32::SerialPort port;
    const std::int32_t code = failureCode([&] { testing::openNow(port, 200, settingsOf("4800,n,8,2"), {}); });
    EXPECT_GT(code, 0);
    EXPECT_NE(code, failure_code::kPortNotOpen);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(failureCode([&] { port.write(kPttOn); }), failure_code::kPortNotOpen);
    // The highest number a port can have is taken, and fails only as absent.
    const std::int32_t highest =
        failureCode([&] { testing::openNow(port, 255, settingsOf("4800,n,8,2"), {}); });
    EXPECT_GT(highest, 0);
    EXPECT_NE(highest, failure_code::kInvalidPropertyValue);
}

TEST(SerialPortTest, OnlyPlainComNamesNamePorts) {
    EXPECT_EQ(win32::SerialPort::portNumberOfName(L"COM1"), 1);
    EXPECT_EQ(win32::SerialPort::portNumberOfName(L"COM33"), 33);
    EXPECT_EQ(win32::SerialPort::portNumberOfName(L"COM255"), 255);
    for (const wchar_t* name : {L"", L"COM", L"COM0", L"COM01", L"COM256", L"COM1000", L"COM-1", L"COM+1",
                                L"COM3 ", L" COM3", L"com3", L"LPT1", L"CNCA0", L"\\Device\\Serial0"}) {
        EXPECT_EQ(win32::SerialPort::portNumberOfName(name), std::nullopt) << name;
    }
}

TEST(SerialPortTest, PresentPortsAreAscendingAndAsTheSystemListsThem) {
    win32::SerialPort port;
    const std::vector<std::int16_t> ports = port.presentPorts();
    EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end()));
    EXPECT_EQ(std::adjacent_find(ports.begin(), ports.end()), ports.end());
    for (const std::int16_t number : ports) EXPECT_TRUE(number >= 1 && number <= 255) << number;
    // The comm-ports API answers where the system has it (not under Wine 8).
    const auto fromApi = win32::SerialPort::portsFromCommPortsApi();
    EXPECT_EQ(ports, fromApi ? *fromApi : win32::SerialPort::portsFromDeviceMap());
}

// A comm-ports API that lists 40 ports to 1 in descending order, one twice, and two numbers that
// name no port: more than the first buffer holds.
ULONG WINAPI fortyCommPorts(PULONG ports, ULONG size, PULONG count) {
    std::vector<ULONG> listed{0, 256, 7};
    for (ULONG number = 40; number >= 1; --number) listed.push_back(number);
    *count = static_cast<ULONG>(listed.size());
    if (size < listed.size()) return ERROR_MORE_DATA;
    std::copy(listed.begin(), listed.end(), ports);
    return ERROR_SUCCESS;
}

TEST(SerialPortTest, ThePortsComeFromTheCommPortsApiWhereThereIsOneElseFromTheDeviceMap) {
    win32::SerialPort port;
    {
        win32::OptionalFunctions withApi;
        withApi.getCommPorts = fortyCommPorts;
        const testing::OptionalFunctionsAs fortyPorts(withApi);
        std::vector<std::int16_t> expected(40);
        std::iota(expected.begin(), expected.end(), std::int16_t{1});
        EXPECT_EQ(port.presentPorts(), expected);
    }
    const testing::OptionalFunctionsAs windows7;
    EXPECT_FALSE(win32::SerialPort::portsFromCommPortsApi());
    EXPECT_EQ(port.presentPorts(), win32::SerialPort::portsFromDeviceMap());
}

// Adds entries to the machine's serial device map; only where the runner says the map is a
// throwaway one (a private Wine prefix).
TEST(SerialPortTest, DeviceMapEntriesCountOnlyForPlainComNames) {
    if (std::getenv("ZELT_TEST_DEVICE_MAP_WRITABLE") == nullptr) {
        GTEST_SKIP() << "the device map is the machine's";
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const auto put = [&](const wchar_t* name, DWORD type, const std::wstring& data) {
        RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    };
    const std::vector<std::int16_t> before = win32::SerialPort::portsFromDeviceMap();
    put(L"zelt-test-1", REG_SZ, std::wstring(L"COM247\0junk", 11));
    put(L"zelt-test-2", REG_SZ, L"COM248");  // no terminator
    put(L"zelt-test-3", REG_SZ, std::wstring(L"COM249\0", 7));
    put(L"zelt-test-4", REG_SZ, std::wstring(L"COM0250\0", 8));
    put(L"zelt-test-5", REG_SZ, std::wstring(L"COM256\0", 7));
    put(L"zelt-test-6", REG_EXPAND_SZ, std::wstring(L"COM251\0", 7));
    put(L"zelt-test-7", REG_SZ, std::wstring(L"\0COM252", 7));
    const std::vector<std::int16_t> after = win32::SerialPort::portsFromDeviceMap();
    for (const wchar_t* name : {L"zelt-test-1", L"zelt-test-2", L"zelt-test-3", L"zelt-test-4",
                                L"zelt-test-5", L"zelt-test-6", L"zelt-test-7"}) {
        RegDeleteValueW(key, name);
    }
    RegCloseKey(key);

    std::vector<std::int16_t> expected = before;
    expected.insert(expected.end(), {247, 248, 249});
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    EXPECT_EQ(after, expected);
}

// ---- Tests against a radio on a real port ----
//
// ZELT_TEST_PORT: the COM number the runner gave the radio's line.
// ZELT_TEST_RADIO_LOG: a file to which the radio appends every byte it reads.
// ZELT_TEST_RADIO_PAUSE: while this file exists the radio stops reading; it answers by creating
// the same name with ".ack" appended, and removes the answer when it reads again.
// ZELT_TEST_RADIO_VANISH: while this file exists the radio's device is gone (its line hung up, its
// COM name removed); answered the same way, and the device is back on another line afterwards.

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
        vanish_ = environment("ZELT_TEST_RADIO_VANISH");
    }

    void open(const char* settings = "4800,n,8,2") {
        testing::openNow(port_, number_, settingsOf(settings), {});
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
        const std::string since = received.substr(mark);
        if (since == expected) return;
        // Megabytes may be at stake: name the place where they part rather than print them.
        const auto parted = std::mismatch(since.begin(), since.end(), expected.begin(), expected.end());
        ADD_FAILURE() << "the radio received " << since.size() << " bytes, expected " << expected.size()
                      << "; they differ from byte " << (parted.first - since.begin());
    }

    std::size_t receivedSoFar() const { return log_ ? readFile(*log_).size() : 0; }

    // Creates or removes a request file and waits for the radio's answer.
    static bool request(const std::string& path, bool on) {
        if (on) {
            std::ofstream(path).put('x');
        } else {
            DeleteFileA(path.c_str());
        }
        return waitFor([&] { return fileExists(path + ".ack") == on; });
    }

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
    std::optional<std::string> vanish_;
    win32::SerialPort port_;
};

TEST_F(RadioPortTest, OpensAndSendsPttBlocks) {
    const std::size_t mark = receivedSoFar();
    open();
    ASSERT_TRUE(port_.isOpen());
    EXPECT_TRUE(testing::answersNow(port_));
    EXPECT_EQ(port_.write(kPttOn), 5u);
    EXPECT_EQ(port_.write(kPttOff), 5u);
    expectReceivedSince(mark, kPttOn + kPttOff);
}

TEST_F(RadioPortTest, PresentPortsListTheRadiosPortAlsoWithoutTheCommPortsApi) {
    const std::vector<std::int16_t> ports = port_.presentPorts();
    EXPECT_NE(std::find(ports.begin(), ports.end(), number_), ports.end());
    const testing::OptionalFunctionsAs windows7;
    const std::vector<std::int16_t> mapped = port_.presentPorts();
    EXPECT_NE(std::find(mapped.begin(), mapped.end(), number_), mapped.end());
}

TEST_F(RadioPortTest, SendsEveryByteValueAsItIs) {
    std::string all;
    for (int code = 0; code < 256; ++code) all.push_back(static_cast<char>(code));
    const std::size_t mark = receivedSoFar();
    open("9600,n,8,1");
    port_.write(all);
    expectReceivedSince(mark, all);
}

// Only a close that failed could leave a port open when it is opened again; the open says so and
// the port stays as it was.
TEST_F(RadioPortTest, OpeningAnOpenPortFailsAndChangesNothing) {
    const std::size_t mark = receivedSoFar();
    open();
    EXPECT_EQ(failureCode([&] { open(); }), failure_code::kPortAlreadyOpen);
    EXPECT_TRUE(port_.isOpen());
    port_.write(kPttOn);
    expectReceivedSince(mark, kPttOn);
}

TEST_F(RadioPortTest, OpensWithTheSettingsAndTurnsFlowControlOff) {
    open("9600,e,7,1");
    const auto dcb = lineStateSeenFromOutside();
    if (!dcb) GTEST_SKIP() << "the port cannot be opened a second time here";
    // A pty keeps the rate and stop bits but always reports 8 data bits and no parity.
    EXPECT_EQ(dcb->BaudRate, 9600u);
    EXPECT_EQ(dcb->StopBits, ONESTOPBIT);
    EXPECT_FALSE(dcb->fOutxCtsFlow);
    EXPECT_FALSE(dcb->fOutX);
    EXPECT_FALSE(dcb->fInX);
}

TEST_F(RadioPortTest, ReopenedWithOtherSettingsTheLineTakesThem) {
    open("9600,n,8,1");
    port_.close();
    open("19200,o,8,2");
    const auto dcb = lineStateSeenFromOutside();
    if (!dcb) GTEST_SKIP() << "the port cannot be opened a second time here";
    EXPECT_EQ(dcb->BaudRate, 19200u);
    EXPECT_EQ(dcb->StopBits, TWOSTOPBITS);
}

// Four data bits pass the parser but few drivers take them; Wine refuses them.
const LineSettings kSettingsDriversRefuse{9600, Parity::None, 4, StopBits::One};

TEST_F(RadioPortTest, OpenWithSettingsTheDriverRefusesFailsAndStaysClosed) {
    const std::int32_t code =
        failureCode([&] { testing::openNow(port_, number_, kSettingsDriversRefuse, {}); });
    if (code == 0) GTEST_SKIP() << "this driver takes 4 data bits";
    EXPECT_FALSE(port_.isOpen());
    EXPECT_EQ(failureCode([&] { port_.write(kPttOn); }), failure_code::kPortNotOpen);
    // The handle of the failed open was released: usable settings open the same port.
    const std::size_t mark = receivedSoFar();
    open("9600,n,8,1");
    port_.write(kPttOn);
    expectReceivedSince(mark, kPttOn);
}

TEST_F(RadioPortTest, ClosesAndReopens) {
    open();
    port_.close();
    EXPECT_FALSE(port_.isOpen());
    EXPECT_FALSE(testing::answersNow(port_));
    EXPECT_EQ(failureCode([&] { port_.write(kPttOn); }), failure_code::kPortNotOpen);
    const std::size_t mark = receivedSoFar();
    open();
    EXPECT_TRUE(port_.isOpen());
    port_.write(kPttOff);
    // Only the block written after reopening arrives: the refused write sent nothing.
    expectReceivedSince(mark, kPttOff);
}

TEST_F(RadioPortTest, ReleasesThePortWhenDestroyed) {
    {
        win32::SerialPort first;
        testing::openNow(first, number_, settingsOf("4800,n,8,2"), {});
    }
    const std::size_t mark = receivedSoFar();
    open();
    port_.write(kPttOn);
    expectReceivedSince(mark, kPttOn);
}

// A suite of its own: only a runner whose radio can vanish runs it.
class VanishingRadioTest : public RadioPortTest {};

// An adapter pulled out leaves its handle open: the port stops answering before any write tells,
// a write fails and closes it, and a new open finds the device once it is back.
TEST_F(VanishingRadioTest, VanishedDeviceStopsAnsweringAndOpensAgainWhenItIsBack) {
    if (!vanish_) GTEST_SKIP() << "ZELT_TEST_RADIO_VANISH is not set";
    std::size_t mark = receivedSoFar();
    open();
    port_.write(kPttOn);
    expectReceivedSince(mark, kPttOn);

    ASSERT_TRUE(request(*vanish_, true)) << "the radio's device did not go away";
    EXPECT_TRUE(port_.isOpen());
    EXPECT_FALSE(testing::answersNow(port_));
    const std::int32_t code = failureCode([&] { port_.write(kPttOn); });
    EXPECT_NE(code, 0);
    EXPECT_NE(code, failure_code::kPortNotOpen);
    EXPECT_FALSE(port_.isOpen());
    EXPECT_EQ(failureCode([&] { port_.write(kPttOn); }), failure_code::kPortNotOpen);
    EXPECT_NE(failureCode([&] { open(); }), 0) << "opened a port that is absent";
    EXPECT_FALSE(port_.isOpen());

    ASSERT_TRUE(request(*vanish_, false)) << "the radio's device did not come back";
    mark = receivedSoFar();
    open();
    EXPECT_TRUE(testing::answersNow(port_));
    EXPECT_EQ(port_.write(kPttOff), 5u);
    expectReceivedSince(mark, kPttOff);
}

// Runs last: afterwards the radio's log holds the part of the stalled write that the port took.
TEST_F(RadioPortTest, ZzFullLineTakesPartOfAWriteAndDeliversAllItTook) {
    if (!pause_) GTEST_SKIP() << "ZELT_TEST_RADIO_PAUSE is not set";
    open();
    const std::size_t mark = receivedSoFar();
    ASSERT_TRUE(request(*pause_, true)) << "the radio did not stop reading";

    // Far more than a line's buffers hold, so the driver cannot take it all while nobody reads.
    const std::string flood(4 << 20, '\xAA');
    const auto start = std::chrono::steady_clock::now();
    const std::size_t taken = port_.write(flood);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GT(taken, 0u);
    EXPECT_LT(taken, flood.size());
    EXPECT_LT(elapsed, 4s);
    EXPECT_GE(elapsed, 500ms) << "gave up before the radio had a fair chance to read";
    EXPECT_TRUE(port_.isOpen());
    EXPECT_TRUE(testing::answersNow(port_)) << "a line that is only full is still there";

    // While the line stays stalled, a write gives up at once rather than hold the window again.
    const auto again = std::chrono::steady_clock::now();
    const std::size_t more = port_.write(kPttOn);
    EXPECT_LT(std::chrono::steady_clock::now() - again, 500ms);

    // What the port took is still on its way: the radio gets all of it, then the next block.
    ASSERT_TRUE(request(*pause_, false)) << "the radio did not read again";
    EXPECT_EQ(port_.write(kPttOff), 5u);
    expectReceivedSince(mark, flood.substr(0, taken) + kPttOn.substr(0, more) + kPttOff);
}

// ---- Modem control lines on a real UART ----
//
// ZELT_TEST_MODEM_PORT: a COM number whose device has modem lines the other side can read.
// ZELT_TEST_MODEM_LINES: a folder where each question "<step>.ask" ("read", or "raise" to set both
// lines high first) is answered by "<step>.seen" holding the levels read, as "DTR=1 RTS=0".

class ModemLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto number = environment("ZELT_TEST_MODEM_PORT");
        const auto folder = environment("ZELT_TEST_MODEM_LINES");
        if (!number || !folder) GTEST_SKIP() << "ZELT_TEST_MODEM_PORT or ZELT_TEST_MODEM_LINES is not set";
        folder_ = *folder;
        number_ = static_cast<std::int16_t>(std::stoi(*number));
    }

    // The levels the other side reads now; "raise" sets both high before reading them.
    std::string linesSeen(const std::string& step, const char* question = "read") {
        const std::string ask = folder_ + "\\" + step + ".ask";
        const std::string seen = folder_ + "\\" + step + ".seen";
        { std::ofstream(ask + ".tmp") << question; }
        if (!MoveFileExA((ask + ".tmp").c_str(), ask.c_str(), MOVEFILE_REPLACE_EXISTING)) return "not asked";
        if (!waitFor([&] { return fileExists(seen); })) return "no answer";
        return readFile(seen);
    }

    std::string folder_;
    std::int16_t number_ = 0;
    win32::SerialPort port_;
};

TEST_F(ModemLineTest, BothLinesAreLowFromTheOpenAndAfterReopeningWithNewSettings) {
    ASSERT_EQ(linesSeen("raised", "raise"), "DTR=1 RTS=1");
    testing::openNow(port_, number_, settingsOf("4800,n,8,2"), {});
    EXPECT_EQ(linesSeen("opened"), "DTR=0 RTS=0");
    port_.close();
    testing::openNow(port_, number_, settingsOf("9600,e,7,1"), {});
    EXPECT_EQ(linesSeen("new-settings"), "DTR=0 RTS=0");
}

TEST_F(ModemLineTest, ChosenLevelsHoldFromTheOpenThroughWrites) {
    testing::openNow(port_, number_, settingsOf("4800,n,8,2"), {true, false});
    EXPECT_EQ(linesSeen("dtr-high"), "DTR=1 RTS=0");
    port_.close();
    ASSERT_EQ(linesSeen("raised-again", "raise"), "DTR=1 RTS=1");
    testing::openNow(port_, number_, settingsOf("19200,n,8,2"), {false, true});
    EXPECT_EQ(linesSeen("reopened-rts-high"), "DTR=0 RTS=1");
    // Nothing the line carries changes them either.
    port_.write(kPttOn);
    EXPECT_EQ(linesSeen("after-a-write"), "DTR=0 RTS=1");
}

}  // namespace
}  // namespace zelt
