#include <cstdint>
#include <exception>
#include <string_view>

#include "app/event_text.h"
#include "app/main_form.h"
#include "app/version.h"

namespace zelt {

void MainForm::hostRequest(std::int32_t request, std::int32_t state) {
    loggedRequest("host", request, state);
}

// "host: request 0, state 1: wrote 00 00 00 01 0F". A close request is logged before it is carried
// out, so that it comes before what the closing does.
void MainForm::loggedRequest(std::string_view source, std::int32_t request, std::int32_t state) {
    requestText_.clear();
    requestText_ += source;
    requestText_ += ": request ";
    appendNumber(requestText_, request);
    requestText_ += ", state ";
    appendNumber(requestText_, state);
    const bool writes = request == 0 && (state == 0 || state == 1);
    if (!writes) {
        requestText_ += request == 1 ? ": closing" : ": ignored";
        log_.add(requestText_);
        ptt(request, state);
        return;
    }
    written_.clear();
    try {
        ptt(request, state);
    } catch (const std::exception& failure) {
        logOutcome(requestText_, &failure);
        throw;
    } catch (...) {
        logOutcome(requestText_, &unexpectedFailure());
        throw;
    }
    logOutcome(requestText_, nullptr);
}

// "what: wrote 00 00 00 00 0F", or "what: failed: why", with the bytes that went out before it
// failed.
void MainForm::logOutcome(std::string_view what, const std::exception* failure) noexcept {
    try {
        eventText_.assign(what);
        if (failure == nullptr) {
            eventText_ += written_.empty() ? ": wrote nothing" : ": wrote ";
            appendHex(eventText_, written_);
        } else {
            eventText_ += ": failed: ";
            appendFailure(eventText_, *failure);
            if (!written_.empty()) {
                eventText_ += "; wrote ";
                appendHex(eventText_, written_);
            }
        }
        log_.add(eventText_);
    } catch (...) {
        // Out of memory: the event is lost, the request is not.
    }
}

void MainForm::logStarting() {
    eventText_.assign("zelt ");
    eventText_ += kVersion;
    eventText_ += " starting";
    log_.add(eventText_);
}

// "zelt 3.00 started: COM1, 4800,n,8,2, transmit time limit off", just before the port opens.
void MainForm::logStart() {
    eventText_.assign("zelt ");
    eventText_ += kVersion;
    eventText_ += " started: COM";
    appendNumber(eventText_, radioPort.commPort());
    eventText_ += ", ";
    eventText_ += radioPort.settings();
    eventText_ += ", transmit time limit ";
    if (transmitLimit_ == 0) {
        eventText_ += "off";
    } else {
        appendNumber(eventText_, transmitLimit_);
        eventText_ += " s";
    }
    log_.add(eventText_);
}

}  // namespace zelt
