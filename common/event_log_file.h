#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/event_log.h"

namespace zelt {

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

// Copies the event log into a file, one line per event, as each event is logged. A file that
// cannot be opened is reported once in the log itself, and the program goes on without it. A file
// that stops taking lines (a full disk) is reported, and tried again with the first event a minute
// or more later; the log says when it takes lines again.
class EventLogFile final : public EventListener {
  public:
    static constexpr std::uint64_t kRetryMilliseconds = 60'000;

    EventLogFile(EventLog& log, AppendFile& file, Clock& clock) : log_(log), file_(file), clock_(clock) {}
    ~EventLogFile() override;
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
    void endCutLine();
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
