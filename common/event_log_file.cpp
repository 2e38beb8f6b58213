#include "common/event_log_file.h"

#include <exception>

namespace zelt {

EventLogFile::~EventLogFile() {
    if (writing_) log_.removeListener(*this);
}

void EventLogFile::open(const std::string& path) noexcept {
    path_ = path;
    try {
        file_.open(path);
        for (std::size_t i = 0; i < log_.size(); ++i) write(log_.at(i));
        log_.addListener(*this);
        writing_ = true;
    } catch (const std::exception& failure) {
        giveUp("could not be opened", failure.what());
    } catch (...) {
        giveUp("could not be opened", "unexpected failure");
    }
}

void EventLogFile::eventAdded(const Event& event) noexcept {
    try {
        write(event);
    } catch (const std::exception& failure) {
        giveUp("could not be written", failure.what());
    } catch (...) {
        giveUp("could not be written", "unexpected failure");
    }
}

void EventLogFile::write(const Event& event) {
    line_.clear();
    event.appendLine(line_);
    line_ += "\r\n";
    file_.append(line_);
}

// Said once: the file is let go of, so it cannot fail again.
void EventLogFile::giveUp(const char* what, const std::string& failure) noexcept {
    if (writing_) log_.removeListener(*this);
    writing_ = false;
    try {
        log_.add("log file " + path_ + " " + what + ": " + failure);
    } catch (...) {
        // Out of memory: not even the report can be made.
    }
}

}  // namespace zelt
