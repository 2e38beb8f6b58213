#pragma once

#include <string>
#include <string_view>

#include "settings/settings_store.h"

namespace zelt::win32 {

// The settings store in the current user's registry: one REG_SZ value per key, named as the key,
// under HKEY_CURRENT_USER\Software\<application>\<section>. Texts are UTF-8 in the program and
// UTF-16 in the registry. Failures carry the Win32 error code.
class RegistryStore : public SettingsStore {
  public:
    // A missing section or key gives the default; a value of any type but REG_SZ is a failure.
    std::string read(std::string_view application, std::string_view section, std::string_view key,
                     std::string_view defaultText) override;
    void save(std::string_view application, std::string_view section, std::string_view key,
              std::string_view text) override;
};

}  // namespace zelt::win32
