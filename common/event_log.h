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

    explicit EventLog(Clock& clock);
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
    const Event& at(std::size_t index) const;
    // Every line, oldest first, each ended by CR LF (as the clipboard and a text file take them).
    std::string text() const;

    // A listener stays registered until removed; it must outlive its registration.
    void addListener(EventListener& listener);
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

}  // namespace zelt
