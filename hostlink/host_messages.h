#pragma once

#include <cstdint>
#include <functional>

namespace zelt {

// What the hook does with each message that reaches the main window: the host's message becomes
// a request, and every message then goes on to the window's previous procedure.
class HostMessages {
  public:
    // Carries out one request (request code, state); throws Failure when it fails.
    std::function<void(std::int32_t request, std::int32_t state)> onRequest;

    // The registered identifier; 0 (never a registered message) until registration.
    void setMessage(std::uint32_t message) { pttMessage_ = message; }

    // The host's message goes to onRequest first; then every message goes on to the previous
    // procedure (forward), whose result is returned, unless a close request destroyed the window
    // (windowAlive false): nothing touches it then. A failed request ends the message, result 0.
    std::intptr_t dispatch(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                           const std::function<std::intptr_t()>& forward,
                           const std::function<bool()>& windowAlive) const noexcept {
        try {
            // An unregistered identifier must not turn WM_NULL into a request.
            if (pttMessage_ != 0 && message == pttMessage_ && onRequest) {
                // The host sends 32-bit values; on 64-bit Windows they arrive widened, so keep the
                // low 32 bits and read them as signed.
                onRequest(static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam)),
                          static_cast<std::int32_t>(static_cast<std::uint32_t>(lParam)));
            }
            if (!windowAlive()) return 0;
            return forward();
        } catch (...) {
            // A failed request ends here: the indicator kept its colour, and the program goes on.
            return 0;
        }
    }

  private:
    std::uint32_t pttMessage_ = 0;
};

// The name under which the host and zelt register their window message: the same name gives the
// same identifier in both programs.
inline constexpr const char* kPttMessageName = "REDUDORORU";

}  // namespace zelt
