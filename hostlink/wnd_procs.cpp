#include "hostlink/wnd_procs.h"

#include "app/main_form.h"

namespace zelt {

std::intptr_t WndProcs::dispatch(MainForm& form, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam, const std::function<std::intptr_t()>& forward,
                                 const std::function<bool()>& windowAlive) noexcept {
    try {
        // Registered messages are never 0; an unregistered PttMessage must not turn WM_NULL into a
        // PTT request.
        if (PttMessage != 0 && message == PttMessage) {
            // The host sends 32-bit values; on 64-bit Windows they arrive widened, so keep the low
            // 32 bits and read them as signed.
            const auto request = static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam));
            const auto state = static_cast<std::int32_t>(static_cast<std::uint32_t>(lParam));
            form.ptt(request, state);
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
