#pragma once

namespace zelt {

// The name under which the host and zelt register their window message.
inline constexpr const char* kPttMessageName = "REDUDORORU";

// The host's way to the program: a window message registered by name, and a hook in front of the
// main window's procedure that sees it. Each call throws Failure when it fails.
class HostLink {
  public:
    virtual ~HostLink() = default;
    // Registers the message; the same name gives the same identifier in the host.
    virtual void registerMessage() = 0;
    // Puts the hook in front of the main window's procedure, for the life of the window.
    virtual void hookWindow() = 0;
};

}  // namespace zelt
