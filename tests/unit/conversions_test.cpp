#include "settings/settings_store.h"

#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/failure.h"

namespace zelt {
namespace {

struct Accepted {
    std::string text;
    std::int16_t expected;
};

struct Refused {
    std::string text;
    std::int32_t code;
};

std::int32_t failureCodeOf(std::int16_t (*convert)(std::string_view), const std::string& text) {
    try {
        convert(text);
    } catch (const Failure& failure) {
        return failure.code();
    }
    return 0;
}

void expectAccepted(std::int16_t (*convert)(std::string_view), const std::vector<Accepted>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        try {
            EXPECT_EQ(convert(c.text), c.expected);
        } catch (const Failure& failure) {
            ADD_FAILURE() << "refused with code " << failure.code();
        }
    }
}

void expectRefused(std::int16_t (*convert)(std::string_view), const std::vector<Refused>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE("text \"" + c.text + "\"");
        EXPECT_EQ(failureCodeOf(convert, c.text), c.code);
    }
}

constexpr std::int32_t kMismatch = failure_code::kTypeMismatch;
constexpr std::int32_t kOverflow = failure_code::kOverflow;

// --- textToInt16 -------------------------------------------------------------------------------

TEST(TextToInt16, PlainIntegers) {
    expectAccepted(textToInt16, {{"0", 0},
                                 {"1", 1},
                                 {"2", 2},
                                 {"42", 42},
                                 {"-1", -1},
                                 {"+7", 7},
                                 {"-0", 0},
                                 {"+0", 0},
                                 {"007", 7},
                                 {"-0012", -12}});
}

TEST(TextToInt16, BlanksAroundTheNumber) {
    expectAccepted(textToInt16, {{" 3", 3}, {"3 ", 3}, {"\t3\t", 3}, {" \t -4 \t ", -4}, {"  +5.5  ", 6}});
}

TEST(TextToInt16, RangeLimits) {
    expectAccepted(
        textToInt16,
        {{"32767", 32767}, {"-32768", -32768}, {"32767.4", 32767}, {"32766.5", 32766}, {"-32768.5", -32768}});
}

TEST(TextToInt16, FractionsRoundHalfToEven) {
    expectAccepted(
        textToInt16,
        {{"2.5", 2},     {"3.5", 4},      {"-2.5", -2},      {"-3.5", -4},   {"0.5", 0},   {"1.5", 2},
         {"-0.5", 0},    {"-1.5", -2},    {"2.4", 2},        {"2.6", 3},     {"-2.4", -2}, {"-2.6", -3},
         {"2.50000", 2}, {"2.500001", 3}, {"-2.500001", -3}, {"2.49999", 2}, {"1.05", 1},  {"0.9", 1},
         {"-0.9", -1},   {"-0.1", 0},     {".5", 0},         {".6", 1},      {"-.5", 0},   {"3.", 3},
         {"-3.", -3},    {"1.0", 1},      {"1.000", 1}});
}

TEST(TextToInt16, OutOfRangeOverflows) {
    expectRefused(textToInt16, {{"32768", kOverflow},
                                {"-32769", kOverflow},
                                {"32767.5", kOverflow},
                                {"-32768.6", kOverflow},
                                {"99999", kOverflow},
                                {"100000", kOverflow},
                                {"-1000000", kOverflow},
                                {"12345678901234567890123", kOverflow}});
}

TEST(TextToInt16, NonNumbersAreTypeMismatches) {
    expectRefused(textToInt16, {{"", kMismatch},      {" ", kMismatch},
                                {" \t ", kMismatch},  {".", kMismatch},
                                {"+", kMismatch},     {"-", kMismatch},
                                {"+.", kMismatch},    {"abc", kMismatch},
                                {"3a", kMismatch},    {"a3", kMismatch},
                                {"1e3", kMismatch},   {"1E3", kMismatch},
                                {"0x10", kMismatch},  {"&H10", kMismatch},
                                {"1,000", kMismatch}, {"1 000", kMismatch},
                                {"1.2.3", kMismatch}, {"--1", kMismatch},
                                {"+-1", kMismatch},   {"- 1", kMismatch},
                                {"1-", kMismatch},    {"\n1", kMismatch},
                                {"1\r\n", kMismatch}, {"1\v", kMismatch},
                                {"1,5", kMismatch},   {"COM1", kMismatch},
                                {"１", kMismatch},    {std::string("1\0", 2), kMismatch}});
}

TEST(TextToInt16, HugeTextsFailCleanlyAndQuickly) {
    const auto start = std::chrono::steady_clock::now();
    const std::string ones(100000, '9');
    EXPECT_EQ(failureCodeOf(textToInt16, ones), kOverflow);
    EXPECT_EQ(failureCodeOf(textToInt16, "-" + ones), kOverflow);
    EXPECT_EQ(failureCodeOf(textToInt16, ones + "x"), kMismatch);
    EXPECT_EQ(failureCodeOf(textToInt16, "1" + std::string(100000, '0')), kOverflow);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(TextToInt16, LongZeroRunsKeepTheirValue) {
    EXPECT_EQ(textToInt16(std::string(100000, '0') + "7"), 7);
    EXPECT_EQ(textToInt16("2." + std::string(100000, '0')), 2);
    EXPECT_EQ(textToInt16("2.5" + std::string(100000, '0')), 2);
    EXPECT_EQ(textToInt16("2.5" + std::string(100000, '0') + "1"), 3);
    EXPECT_EQ(textToInt16("-2.5" + std::string(100000, '0') + "1"), -3);
}

TEST(TextToInt16, EveryValueRoundTripsThroughItsDecimalText) {
    for (int v = std::numeric_limits<std::int16_t>::min(); v <= std::numeric_limits<std::int16_t>::max();
         ++v) {
        const auto value = static_cast<std::int16_t>(v);
        const std::string text = std::to_string(value);
        ASSERT_EQ(textToInt16(text), value) << text;
    }
}

}  // namespace
}  // namespace zelt
