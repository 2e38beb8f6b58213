#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelt {

// A moment in the machine's local time, to the millisecond.
struct LocalTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;  // 1 to 12
    std::uint16_t day = 0;    // 1 to 31
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t millisecond = 0;

    bool operator==(const LocalTime&) const = default;
};

// The wall clock as the event log reads it, and a count of milliseconds that only moves forward
// (for waits that the wall clock's changes, such as summer time, must not stretch). Never fails.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalTime now() noexcept = 0;
    virtual std::uint64_t steadyMilliseconds() noexcept = 0;
};

// One thing that happened, as the operator reads it afterwards.
struct Event {
    LocalTime time;
    std::string text;

    // "2026-05-01 14:03:07.250 text", appended to out (whose capacity is reused).
    void appendLine(std::string& out) const;
};

// Told of every event as it is logged, and of the log being cleared. Must not throw.
class EventListener {
  public:
    virtual ~EventListener() = default;
    virtual void eventAdded(const Event& event) noexcept = 0;
    virtual void logCleared() noexcept {}
};

// The last kCapacity events in memory, oldest first, newest last, each stamped with the local time
// to the millisecond. Adding an event reuses the slot of the one it pushes out, so a full log
// costs no allocation per event beyond a text longer than any before it in that slot.
class EventLog {
  public:
    static constexpr std::size_t kCapacity = 1000;

    // Every slot the log will ever use, at once: events are added without moving the others.
    explicit EventLog(Clock& clock) : clock_(clock) { events_.reserve(kCapacity); }
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Logs the text now and tells every listener. A listener may log events of its own while it
    // is told; they follow in order once it returns.
    void add(std::string_view text) noexcept;
    void clear() noexcept;

    std::size_t size() const { return events_.size(); }
    // Events ever added, cleared or not: a reader that noted it knows how many came since.
    std::uint64_t added() const { return added_; }
    // 0 is the oldest event kept.
    const Event& at(std::size_t index) const { return events_[(oldest_ + index) % events_.size()]; }
    // Every line, oldest first, each ended by CR LF (as the clipboard and a text file take them).
    std::string text() const;

    // A listener stays registered until removed; it must outlive its registration.
    void addListener(EventListener& listener) { listeners_.push_back(&listener); }
    void removeListener(EventListener& listener) noexcept;

  private:
    void notify() noexcept;

    Clock& clock_;
    std::vector<Event> events_;  // a ring once full; oldest_ is its first event
    std::size_t oldest_ = 0;
    std::uint64_t added_ = 0;     // events ever added
    std::uint64_t notified_ = 0;  // events the listeners were told of
    bool notifying_ = false;
    std::vector<EventListener*> listeners_;  // null where one was removed while they were told
};

// A text file that grows at its end. Each append reaches the system at once (nothing waits in the
// program), so a line written survives the program ending without notice. Every operation throws
// Failure with a nonzero code when it fails.
class AppendFile {
  public:
    virtual ~AppendFile() = default;
    // Opens the file at the path (UTF-8), making it when it does not exist.
    virtual void open(const std::string& path) = 0;
    virtual void append(std::string_view text) = 0;
    // Whether the open file ends in a line cut short: not empty, and its last byte no line end.
    virtual bool endsMidLine() = 0;
};

// Copies the event log into a file, a line per event as logged. A file that cannot be opened is
// reported once in the log and done without; one that stops taking lines (a full disk) is reported,
// tried again with the first event a minute or more later, and the log says when it takes lines again.
class EventLogFile final : public EventListener {
  public:
    static constexpr std::uint64_t kRetryMilliseconds = 60'000;

    EventLogFile(EventLog& log, AppendFile& file, Clock& clock) : log_(log), file_(file), clock_(clock) {}
    ~EventLogFile() override {
        if (state_ != State::Closed) log_.removeListener(*this);
    }
    EventLogFile(const EventLogFile&) = delete;
    EventLogFile& operator=(const EventLogFile&) = delete;

    // Opens the file and writes the events logged so far, then every later one. A file whose last
    // line was cut short (by a full disk, in an earlier run) gets its line end first, so that the
    // first line of this run is a line of its own. Never fails.
    void open(const std::string& path) noexcept;

    void eventAdded(const Event& event) noexcept override;

  private:
    enum class State { Closed, Writing, Failed };

    void write(const Event& event);
    void endCutLine() {
        if (file_.endsMidLine()) file_.append("\r\n");
    }
    void retry(const Event& event) noexcept;
    void report(const char* what, const char* failure) noexcept;

    EventLog& log_;
    AppendFile& file_;
    Clock& clock_;
    std::string path_;
    std::string line_;  // reused for every line
    State state_ = State::Closed;
    std::uint64_t failedAt_ = 0;  // steady milliseconds of the last failed write
    std::uint64_t missed_ = 0;    // events not written since then
};

}  // namespace zelt
