#include "common/event_log.h"

#include <algorithm>
#include <cstdio>

#include "common/failure.h"

namespace zelt {

void Event::appendLine(std::string& out) const {
    char stamp[32];
    const int length = std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ",
                                     int{time.year}, int{time.month}, int{time.day}, int{time.hour},
                                     int{time.minute}, int{time.second}, int{time.millisecond});
    if (length > 0) {
        out.append(stamp, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof stamp - 1));
    }
    out += text;
}

void EventLog::add(std::string_view text) noexcept {
    try {
        Event* slot = nullptr;
        if (events_.size() < kCapacity) {
            slot = &events_.emplace_back();
        } else {
            slot = &events_[oldest_];
            oldest_ = (oldest_ + 1) % kCapacity;
        }
        slot->time = clock_.now();
        slot->text.assign(text);
        ++added_;
    } catch (...) {
        // Out of memory: the event is lost, nothing else is.
        return;
    }
    notify();
}

void EventLog::notify() noexcept {
    if (notifying_) return;
    notifying_ = true;
    while (notified_ < added_) {
        const std::uint64_t behind = added_ - notified_++;
        if (behind > size()) continue;  // pushed out of the ring before it could be told
        const Event& event = at(size() - behind);
        for (std::size_t i = 0; i < listeners_.size(); ++i) {
            if (listeners_[i] != nullptr) listeners_[i]->eventAdded(event);
        }
    }
    notifying_ = false;
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), nullptr), listeners_.end());
}

void EventLog::clear() noexcept {
    events_.clear();
    oldest_ = 0;
    notified_ = added_;
    for (EventListener* listener : listeners_) {
        if (listener != nullptr) listener->logCleared();
    }
}

std::string EventLog::text() const {
    std::string out;
    for (std::size_t i = 0; i < size(); ++i) {
        at(i).appendLine(out);
        out += "\r\n";
    }
    return out;
}

void EventLog::removeListener(EventListener& listener) noexcept {
    const auto found = std::find(listeners_.begin(), listeners_.end(), &listener);
    if (found == listeners_.end()) return;
    if (notifying_) {
        *found = nullptr;  // the loop telling them is still walking the list
    } else {
        listeners_.erase(found);
    }
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
        report("could not be opened", currentFailure().what());
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
        report("could not be written", currentFailure().what());
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
