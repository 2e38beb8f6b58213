#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "common/failure.h"
#include "port/win32_serial_port.h"

namespace zelt::testing {

// The port's open as one call that returns once it has ended, failing as the open failed.
inline void openNow(win32::SerialPort& port, std::int16_t number, const LineSettings& settings,
                    ControlLines lines) {
    std::optional<Failure> failed;
    bool ended = false;
    port.onOpenEnded = [&](const std::exception* failure) {
        ended = true;
        if (const auto* known = dynamic_cast<const Failure*>(failure)) failed = *known;
        if (failure != nullptr && !failed) failed = Failure(failure_code::kUnexpected, failure->what());
    };
    port.startOpen(number, settings, lines);
    const bool inTime = port.waitForOpen(10'000);
    port.onOpenEnded = nullptr;
    if (!inTime || !ended) throw Failure(failure_code::kUnexpected, "the open did not end within 10 s");
    if (failed) throw *failed;
}

// The window thread's messages, run as its message loop would, until `done` or ten seconds.
template <typename Done>
void runMessagesUntil(Done&& done) {
    const ULONGLONG deadline = GetTickCount64() + 10'000;
    while (!done() && GetTickCount64() < deadline) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The device's answer, the port's thread asked, with the window thread's messages run meanwhile as
// they would be in the program.
inline bool answersNow(win32::SerialPort& port) {
    std::optional<bool> answer;
    port.onAnswered = [&](bool answers) { answer = answers; };
    port.startAsking();
    runMessagesUntil([&] { return answer.has_value(); });
    port.onAnswered = nullptr;
    return answer.value_or(false);
}

}  // namespace zelt::testing
