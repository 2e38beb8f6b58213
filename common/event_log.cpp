#include "common/event_log.h"

#include <algorithm>
#include <cstdio>

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

EventLog::EventLog(Clock& clock) : clock_(clock) {
    // Every slot the log will ever use, at once: events are added without moving the others.
    events_.reserve(kCapacity);
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

// Events logged by a listener while it is told are told after it, in order, by the outer call.
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

const Event& EventLog::at(std::size_t index) const {
    return events_[(oldest_ + index) % events_.size()];
}

std::string EventLog::text() const {
    std::string out;
    for (std::size_t i = 0; i < size(); ++i) {
        at(i).appendLine(out);
        out += "\r\n";
    }
    return out;
}

void EventLog::addListener(EventListener& listener) {
    listeners_.push_back(&listener);
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

}  // namespace zelt
