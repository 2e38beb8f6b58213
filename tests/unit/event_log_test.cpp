#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/event_log.h"
#include "common/failure.h"
#include "fakes/fake_clock.h"

namespace zelt::testing {
namespace {

// The event as a line of the log window and the file show it.
std::string lineOf(const Event& event) {
    std::string line;
    event.appendLine(line);
    return line;
}

// Records what it is told; can log an event of its own in answer to one.
struct Recorder : EventListener {
    std::vector<std::string> seen;
    int cleared = 0;
    std::function<void(const Event&)> answer;
    void eventAdded(const Event& event) noexcept override {
        seen.push_back(event.text);
        if (answer) answer(event);
    }
    void logCleared() noexcept override { ++cleared; }
};

class EventLogTest : public ::testing::Test {
  protected:
    FakeClock clock;
    EventLog log{clock};
};

TEST_F(EventLogTest, KeepsTheLastThousandOldestFirst) {
    for (int i = 1; i <= 1005; ++i) log.add("event " + std::to_string(i));
    ASSERT_EQ(log.size(), 1000U);
    EXPECT_EQ(log.at(0).text, "event 6");
    EXPECT_EQ(log.at(999).text, "event 1005");
}

TEST_F(EventLogTest, StampsEachEventWithTheLocalTimeToTheMillisecond) {
    clock.time = {2026, 1, 2, 3, 4, 5, 6};
    clock.ticks = false;
    log.add("first");
    EXPECT_EQ(log.at(0).time, (LocalTime{2026, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(lineOf(log.at(0)), "2026-01-02 03:04:05.006 first");
    log.add("second");
    EXPECT_EQ(log.text(), "2026-01-02 03:04:05.006 first\r\n2026-01-02 03:04:05.006 second\r\n");
}

TEST_F(EventLogTest, ListenersHearEveryEventInOrderAndEventsTheyLogFollow) {
    Recorder first;
    Recorder second;
    log.addListener(first);
    log.addListener(second);
    first.answer = [this](const Event& event) {
        if (event.text == "a") log.add("answer to a");
    };
    log.add("a");
    log.add("b");
    EXPECT_EQ(first.seen, (std::vector<std::string>{"a", "answer to a", "b"}));
    EXPECT_EQ(second.seen, first.seen);

    log.removeListener(second);
    log.clear();
    log.add("c");
    EXPECT_EQ(first.cleared, 1);
    EXPECT_EQ(second.seen.size(), 3U);
    EXPECT_EQ(log.size(), 1U);
}

TEST_F(EventLogTest, AListenerMayLeaveWhileItIsTold) {
    Recorder leaving;
    Recorder staying;
    log.addListener(leaving);
    log.addListener(staying);
    leaving.answer = [&](const Event&) { log.removeListener(leaving); };
    log.add("a");
    log.add("b");
    EXPECT_EQ(leaving.seen, std::vector<std::string>{"a"});
    EXPECT_EQ(staying.seen, (std::vector<std::string>{"a", "b"}));
}

// --- the copy in a file ---

struct FakeFile : AppendFile {
    std::string path;
    std::string text;
    bool openFails = false;
    int appendsLeft = 1000;  // then appends fail
    int appends = 0;         // tried, failed or not
    void open(const std::string& where) override {
        if (openFails) throw Failure(3, "cannot open " + where);
        path = where;
    }
    void append(std::string_view line) override {
        ++appends;
        if (appendsLeft-- <= 0) throw Failure(112, "disk full");
        text += line;
    }
    bool endsMidLine() override { return !text.empty() && text.back() != '\n'; }
};

TEST_F(EventLogTest, FileGetsTheEventsSoFarThenEachNewOneAsALine) {
    clock.ticks = false;
    FakeFile file;
    EventLogFile writer(log, file, clock);
    log.add("before");
    writer.open("zelt.log");
    log.add("after");
    EXPECT_EQ(file.text, log.text());
    EXPECT_EQ(file.text, "2026-05-01 14:03:07.250 before\r\n2026-05-01 14:03:07.250 after\r\n");
}

TEST_F(EventLogTest, FileThatCannotBeOpenedIsReportedOnceAndLeftAlone) {
    FakeFile file;
    file.openFails = true;
    EventLogFile writer(log, file, clock);
    writer.open("X:\\nowhere\\zelt.log");
    log.add("later");
    ASSERT_EQ(log.size(), 2U);
    EXPECT_EQ(log.at(0).text,
              "log file X:\\nowhere\\zelt.log could not be opened: cannot open X:\\nowhere\\zelt.log");
    EXPECT_TRUE(file.text.empty());
}

TEST_F(EventLogTest, FileThatStopsTakingLinesIsTriedAgainAtMostOnceAMinute) {
    FakeFile file;
    file.appendsLeft = 1;
    EventLogFile writer(log, file, clock);
    writer.open("zelt.log");
    log.add("one");
    log.add("two");
    log.add("three");
    ASSERT_EQ(log.size(), 4U);
    EXPECT_EQ(log.at(2).text, "log file zelt.log could not be written: disk full; tried again in a minute");
    EXPECT_EQ(file.text, lineOf(log.at(0)) + "\r\n");
    EXPECT_EQ(log.at(3).text, "three");
    EXPECT_EQ(file.appends, 2);  // "three" was not tried

    clock.steady = EventLogFile::kRetryMilliseconds;  // still full: tried once, said nothing
    log.add("four");
    log.add("five");
    EXPECT_EQ(file.appends, 3);
    EXPECT_EQ(log.size(), 6U);

    file.appendsLeft = 1000;  // space freed
    clock.steady += EventLogFile::kRetryMilliseconds - 1;
    log.add("six");
    EXPECT_EQ(file.appends, 3);
    clock.steady += 1;
    log.add("seven");
    EXPECT_EQ(log.at(log.size() - 1).text,
              "log file zelt.log written again; it lacks the 6 events before this one");
    EXPECT_EQ(file.text,
              lineOf(log.at(0)) + "\r\n" + lineOf(log.at(7)) + "\r\n" + lineOf(log.at(8)) + "\r\n");
}

TEST_F(EventLogTest, FileWhoseLastLineWasCutShortGetsALineEndFirst) {
    clock.ticks = false;
    FakeFile file;
    file.text = "2026-04-30 23:59:59.999 host: requ";
    EventLogFile writer(log, file, clock);
    writer.open("zelt.log");
    log.add("zelt 3.00 starting");
    EXPECT_EQ(file.text,
              "2026-04-30 23:59:59.999 host: requ\r\n2026-05-01 14:03:07.250 zelt 3.00 starting\r\n");
}

}  // namespace
}  // namespace zelt::testing
