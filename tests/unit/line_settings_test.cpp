#include "port/serial_port.h"

#include <gtest/gtest.h>

#include <string>

namespace zelt {
namespace {

TEST(LineSettingsTest, AcceptsTheDefaultAndTheExample) {
    EXPECT_EQ(parseLineSettings("4800,n,8,2"), (LineSettings{4800, Parity::None, 8, StopBits::Two}));
    EXPECT_EQ(parseLineSettings("9600,n,8,1"), (LineSettings{9600, Parity::None, 8, StopBits::One}));
    // The radio line starts from LineSettings{} beside the text "4800,n,8,2": the two must agree.
    EXPECT_EQ(parseLineSettings("4800,n,8,2"), LineSettings{});
}

TEST(LineSettingsTest, AcceptsEveryListedBaudRate) {
    for (const std::uint32_t baud : kBaudRates) {
        const auto parsed = parseLineSettings(std::to_string(baud) + ",n,8,1");
        ASSERT_TRUE(parsed.has_value()) << baud;
        EXPECT_EQ(parsed->baud, baud);
    }
}

TEST(LineSettingsTest, RefusesRatesNotListed) {
    for (const char* text : {"9601,n,8,1", "0,n,8,1", "100,n,8,1", "4801,n,8,1", "115201,n,8,1",
                             "230400,n,8,1", "512000,n,8,1", "4294972096,n,8,1", "99999999999,n,8,1"}) {
        EXPECT_EQ(parseLineSettings(text), std::nullopt) << text;
    }
}

TEST(LineSettingsTest, RefusesBaudSpelledOtherThanPlainDigits) {
    // Leading zeros are refused too: every rate has exactly one spelling.
    for (const char* text : {"+9600,n,8,1", "-9600,n,8,1", "09600,n,8,1", "0x2580,n,8,1", "9600.0,n,8,1",
                             "9.6e3,n,8,1", "96OO,n,8,1", ",n,8,1"}) {
        EXPECT_EQ(parseLineSettings(text), std::nullopt) << text;
    }
}

TEST(LineSettingsTest, ReadsEachParityLetterInEitherCase) {
    const struct {
        const char* text;
        Parity parity;
    } cases[] = {{"9600,n,8,1", Parity::None}, {"9600,N,8,1", Parity::None}, {"9600,e,8,1", Parity::Even},
                 {"9600,E,8,1", Parity::Even}, {"9600,o,8,1", Parity::Odd},  {"9600,O,8,1", Parity::Odd},
                 {"9600,m,8,1", Parity::Mark}, {"9600,M,8,1", Parity::Mark}, {"9600,s,8,1", Parity::Space},
                 {"9600,S,8,1", Parity::Space}};
    for (const auto& c : cases) {
        const auto parsed = parseLineSettings(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(parsed->parity, c.parity) << c.text;
    }
}

TEST(LineSettingsTest, RefusesOtherParities) {
    for (const char* text : {"9600,x,8,1", "9600,,8,1", "9600,no,8,1", "9600,nn,8,1", "9600,0,8,1"}) {
        EXPECT_EQ(parseLineSettings(text), std::nullopt) << text;
    }
}

TEST(LineSettingsTest, AcceptsFourToEightDataBits) {
    for (int bits = 4; bits <= 8; ++bits) {
        const auto parsed = parseLineSettings("9600,n," + std::to_string(bits) + ",1");
        ASSERT_TRUE(parsed.has_value()) << bits;
        EXPECT_EQ(parsed->dataBits, bits);
    }
    for (const char* text : {"9600,n,3,1", "9600,n,9,1", "9600,n,0,1", "9600,n,,1", "9600,n,08,1",
                             "9600,n,8.0,1", "9600,n,-8,1", "9600,n,x,1"}) {
        EXPECT_EQ(parseLineSettings(text), std::nullopt) << text;
    }
}

TEST(LineSettingsTest, ReadsOneOneAndHalfAndTwoStopBits) {
    EXPECT_EQ(parseLineSettings("9600,n,8,1")->stopBits, StopBits::One);
    EXPECT_EQ(parseLineSettings("9600,n,5,1.5")->stopBits, StopBits::OneAndHalf);
    EXPECT_EQ(parseLineSettings("9600,n,8,2")->stopBits, StopBits::Two);
    for (const char* text : {"9600,n,8,3", "9600,n,8,0", "9600,n,8,1.0", "9600,n,8,2.0", "9600,n,8,1,5",
                             "9600,n,8,", "9600,n,8,01", "9600,n,8,1.", "9600,n,8,15"}) {
        EXPECT_EQ(parseLineSettings(text), std::nullopt) << text;
    }
}

TEST(LineSettingsTest, RefusesTextsThatAreNotFourFields) {
    for (const char* text : {"", ",", ",,,", ",,,,", "9600", "9600,n", "9600,n,8", "9600,n,8,1,1",
                             "9600,n,8,1,", ",9600,n,8,1", "9600;n;8;1", "9600 n 8 1"}) {
        EXPECT_EQ(parseLineSettings(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(LineSettingsTest, RefusesBlanksAnywhere) {
    for (const char* text : {" 9600,n,8,1", "9600,n,8,1 ", "9600 ,n,8,1", "9600, n,8,1", "9600,n ,8,1",
                             "9600,n, 8,1", "9600,n,8, 1", "9600,n,8,1\t", "\t9600,n,8,1", "9600,n,8,1\n"}) {
        EXPECT_EQ(parseLineSettings(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(LineSettingsTest, RefusesEmbeddedNul) {
    using namespace std::string_literals;
    EXPECT_EQ(parseLineSettings("9600,n,8,1\0"s), std::nullopt);
    EXPECT_EQ(parseLineSettings("96\00000,n,8,1"s), std::nullopt);
}

}  // namespace
}  // namespace zelt
