#include "common/event_log_file.h"

#include <exception>

namespace zelt {
namespace {

const char* whatFailed(const std::exception_ptr& failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& known) {
        return known.what();
    } catch (...) {
        return "unexpected failure";
    }
}

}  // namespace

EventLogFile::~EventLogFile() {
    if (state_ != State::Closed) log_.removeListener(*this);
}

void EventLogFile::open(const std::string& path) noexcept {
    path_ = path;
    try {
        file_.open(path);
        endCutLine();
        for (std::size_t i = 0; i < log_.size(); ++i) write(log_.at(i));
        log_.addListener(*this);
        state_ = State::Writing;
    } catch (...) {
        report("could not be opened", whatFailed(std::current_exception()));
    }
}

void EventLogFile::eventAdded(const Event& event) noexcept {
    if (state_ == State::Failed) {
        retry(event);
        return;
    }
    try {
        write(event);
    } catch (...) {
        // A full disk may take lines again once space is freed: the file stays, to be tried again.
        state_ = State::Failed;
        failedAt_ = clock_.steadyMilliseconds();
        missed_ = 1;
        report("could not be written", whatFailed(std::current_exception()));
    }
}

// At most once a minute, so that a file that stays full costs nothing per event meanwhile. The
// failed write may have left part of a line behind: it is ended before the next one.
void EventLogFile::retry(const Event& event) noexcept {
    const std::uint64_t now = clock_.steadyMilliseconds();
    if (now - failedAt_ < kRetryMilliseconds) {
        ++missed_;
        return;
    }
    try {
        endCutLine();
        write(event);
    } catch (...) {
        failedAt_ = now;
        ++missed_;
        return;
    }
    state_ = State::Writing;
    try {
        line_.assign("log file ").append(path_).append(" written again; it lacks the ");
        line_.append(std::to_string(missed_)).append(missed_ == 1 ? " event" : " events");
        line_.append(" before this one");
        log_.add(line_);
    } catch (...) {
        // Out of memory: the file goes on, unannounced.
    }
}

void EventLogFile::endCutLine() {
    if (file_.endsMidLine()) file_.append("\r\n");
}

void EventLogFile::write(const Event& event) {
    line_.clear();
    event.appendLine(line_);
    line_ += "\r\n";
    file_.append(line_);
}

void EventLogFile::report(const char* what, const char* failure) noexcept {
    try {
        std::string text = "log file " + path_ + " " + what + ": " + failure;
        if (state_ == State::Failed) text += "; tried again in a minute";
        log_.add(text);
    } catch (...) {
        // Out of memory: not even the report can be made.
    }
}

}  // namespace zelt
