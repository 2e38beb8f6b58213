#include "hostlink/host_messages.h"

namespace zelt {

std::intptr_t HostMessages::dispatch(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                     const std::function<std::intptr_t()>& forward,
                                     const std::function<bool()>& windowAlive) const noexcept {
    try {
        // An unregistered identifier must not turn WM_NULL into a request.
        if (pttMessage_ != 0 && message == pttMessage_ && onRequest) {
            // The host sends 32-bit values; on 64-bit Windows they arrive widened, so keep the low
            // 32 bits and read them as signed.
            const auto request = static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam));
            const auto state = static_cast<std::int32_t>(static_cast<std::uint32_t>(lParam));
            onRequest(request, state);
        }
        if (!windowAlive()) return 0;
        return forward();
    } catch (...) {
        // A failed request ends here: the indicator kept its colour, the message is not passed
        // on, and the program goes on running.
        return 0;
    }
}

}  // namespace zelt
