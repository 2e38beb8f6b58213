#include <gtest/gtest.h>

#include "app/command_line.h"
#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

class OperatorExtrasTest : public FormFixture {
  protected:
    // The texts logged since the mark.
    std::vector<std::string> since(std::size_t mark) const {
        const auto texts = eventTexts();
        return {texts.begin() + static_cast<long>(mark), texts.end()};
    }
};

TEST_F(OperatorExtrasTest, StartUpIsLoggedWithVersionPortAndSettings) {
    store.put("Com", "ComPort", "3");
    store.put("Win", "TxLimit", "180");
    form.load();
    const auto texts = eventTexts();
    ASSERT_GE(texts.size(), 3U);
    EXPECT_EQ(texts.front(), "zelt 3.00 starting");
    EXPECT_EQ(texts[texts.size() - 2], "zelt 3.00 started: COM3, 4800,n,8,2, transmit time limit 180 s");
    EXPECT_EQ(texts.back(), "COM3 opened (4800,n,8,2)");
}

TEST_F(OperatorExtrasTest, EachRequestIsLoggedWithWhatCameOfIt) {
    startUp();
    const std::size_t mark = events.size();
    form.hostRequest(0, 1);
    form.hostRequest(7, 7);
    form.indicatorClicked();
    port.forceOpen(false);
    port.present.erase(1);
    EXPECT_THROW(form.hostRequest(0, 1), Failure);
    EXPECT_EQ(
        since(mark),
        (std::vector<std::string>{
            "host: request 0, state 1: wrote 00 00 00 01 0F",
            "host: request 7, state 7: ignored",
            "indicator click: request 0, state 0: wrote 00 00 00 00 0F",
            "COM1 could not be opened: no such port [code 2]",
            "host: request 0, state 1: failed: the port is not open; it is being opened again [code 8018]",
        }));
}

TEST_F(OperatorExtrasTest, CloseRequestIsLoggedBeforeTheUnkeyAtShutDown) {
    startUp();
    form.hostRequest(0, 1);
    const std::size_t mark = events.size();
    form.hostRequest(1, 0);
    EXPECT_EQ(since(mark),
              (std::vector<std::string>{"host: request 1, state 0: closing",
                                        "unkey at shut-down: wrote 00 00 00 00 0F", "COM1 closed"}));
}

TEST_F(OperatorExtrasTest, StoredValuesAndMessageBoxesAreLogged) {
    startUp();
    const std::size_t mark = events.size();
    log.failing.insert("open");
    form.portChosen(1);
    EXPECT_EQ(since(mark),
              (std::vector<std::string>{"COM1 closed", "stored Com/ComPort = \"2\"",
                                        "COM2 could not be opened: open told to fail [code 4242]",
                                        "message box: Com port error"}));
}

TEST_F(OperatorExtrasTest, MenuTransmitDoesWhatAClickDoes) {
    startUp();
    form.menuTransmit();
    EXPECT_TRUE(form.transmitting());
    form.menuTransmit();
    EXPECT_FALSE(form.transmitting());
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(eventTexts().back(), "menu Transmit: request 0, state 0: wrote 00 00 00 00 0F");
    port.forceOpen(false);
    port.present.erase(1);
    EXPECT_THROW(form.menuTransmit(), Failure);
    EXPECT_FALSE(form.transmitting());
}

TEST_F(OperatorExtrasTest, AboutNamesVersionLicenceAndTheHostsWayIn) {
    startUp();
    form.showAbout();
    ASSERT_EQ(window.aboutShown.size(), 1U);
    const std::string& text = window.aboutShown[0];
    for (const char* part : {"zelt 3.00", "MIT License", "\"REDUDORORU\"", "\"DALMOR ZELT V3\""}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
    form.showEventLog();
    EXPECT_EQ(window.logWindowShown, 1);
}

TEST(CommandLineTest, LogFileAndWhatIsNotUnderstood) {
    using Words = std::vector<std::string>;
    EXPECT_TRUE(parseCommandLine({}).logFile.empty());
    EXPECT_EQ(parseCommandLine(Words{"--log", "C:\\zelt.log"}).logFile, "C:\\zelt.log");
    EXPECT_EQ(parseCommandLine(Words{"--log", "C:\\Program Files\\zelt\\zelt.log"}).logFile,
              "C:\\Program Files\\zelt\\zelt.log");
    const CommandLine odd = parseCommandLine(Words{"/x", "--log"});
    EXPECT_TRUE(odd.logFile.empty());
    EXPECT_EQ(odd.problems, (Words{"unknown argument \"/x\" ignored", "--log without a file name ignored"}));
    // An empty argument ("") names no file.
    const CommandLine empty = parseCommandLine(Words{"--log", ""});
    EXPECT_TRUE(empty.logFile.empty());
    EXPECT_EQ(empty.problems, (Words{"--log without a file name ignored", "unknown argument \"\" ignored"}));

    // Repeated or mistyped: reported, and the first file named is the one in force.
    const CommandLine twice = parseCommandLine(Words{"--log", "--log"});
    EXPECT_TRUE(twice.logFile.empty());
    EXPECT_EQ(twice.problems, (Words{"--log \"--log\" refused: a file name may not start with \"--\"",
                                     "--log without a file name ignored"}));
    const CommandLine two = parseCommandLine(Words{"--log", "A", "--log", "--x", "--log", "B"});
    EXPECT_EQ(two.logFile, "A");
    EXPECT_EQ(two.problems, (Words{"--log \"--x\" refused: a file name may not start with \"--\"",
                                   "unknown argument \"--x\" ignored",
                                   "second --log \"B\" ignored: the events go to \"A\""}));
}

}  // namespace
}  // namespace zelt::testing
