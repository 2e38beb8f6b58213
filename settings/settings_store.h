#pragma once

#include <string>
#include <string_view>

namespace zelt {

// The per-user settings store: text values addressed by application, section and key. Texts are
// UTF-8. A read or save that fails throws Failure with a nonzero code.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    // A missing section or key gives the default.
    virtual std::string read(std::string_view application, std::string_view section, std::string_view key,
                             std::string_view defaultText) = 0;
    // Creates the section and key when they are missing.
    virtual void save(std::string_view application, std::string_view section, std::string_view key,
                      std::string_view text) = 0;
};

}  // namespace zelt
