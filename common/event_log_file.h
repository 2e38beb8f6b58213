#pragma once

#include <string>

#include "common/append_file.h"
#include "common/event_log.h"

namespace zelt {

// Copies the event log into a file, one line per event, as each event is logged. A file that
// cannot be opened or written is reported once in the log itself, and the program goes on
// without it.
class EventLogFile final : public EventListener {
  public:
    EventLogFile(EventLog& log, AppendFile& file) : log_(log), file_(file) {}
    ~EventLogFile() override;
    EventLogFile(const EventLogFile&) = delete;
    EventLogFile& operator=(const EventLogFile&) = delete;

    // Opens the file and writes the events logged so far, then every later one. Never fails.
    void open(const std::string& path) noexcept;

    void eventAdded(const Event& event) noexcept override;

  private:
    void write(const Event& event);
    void giveUp(const char* what, const std::string& failure) noexcept;

    EventLog& log_;
    AppendFile& file_;
    std::string path_;
    std::string line_;  // reused for every line
    bool writing_ = false;
};

}  // namespace zelt
