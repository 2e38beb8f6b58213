#include "settings/win32_registry_store.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/win32_scoped.h"
#include "common/win32_text.h"

namespace zelt::win32 {
namespace {

std::wstring sectionPath(std::string_view application, std::string_view section) {
    return L"Software\\" + win32::toUtf16(application) + L"\\" + win32::toUtf16(section);
}

// The value's UTF-16 text as stored, NULs included; nothing when it is missing. The value may grow between
// the size query and the read: a buffer found short is retried with the new size, this often at most.
constexpr int kReadAttempts = 8;

std::optional<std::wstring> queryString(HKEY key, const std::wstring& name) {
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes);
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (status != ERROR_SUCCESS) win32::throwError(static_cast<DWORD>(status), "RegQueryValueExW");
        if (type != REG_SZ) win32::throwError(ERROR_UNSUPPORTED_TYPE, "Reading a setting that is not REG_SZ");

        // One spare character, so that an odd byte count still fits; the half character is dropped.
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
        DWORD received = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                  &received);
        if (status == ERROR_MORE_DATA) {
            bytes = received;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status == ERROR_SUCCESS && type == REG_SZ) {
            return std::wstring(buffer.data(), received / sizeof(wchar_t));
        }
    }
    win32::throwError(ERROR_MORE_DATA, "RegQueryValueExW");
}

}  // namespace

std::string RegistryStore::read(std::string_view application, std::string_view section, std::string_view key,
                                std::string_view defaultText) {
    HKEY opening = nullptr;
    const LSTATUS opened = RegOpenKeyExW(HKEY_CURRENT_USER, sectionPath(application, section).c_str(), 0,
                                         KEY_QUERY_VALUE, &opening);
    const win32::ScopedHKEY sectionKey(opening);
    if (opened == ERROR_FILE_NOT_FOUND) return std::string(defaultText);
    if (opened != ERROR_SUCCESS) win32::throwError(static_cast<DWORD>(opened), "RegOpenKeyExW");

    std::optional<std::wstring> value = queryString(sectionKey.get(), win32::toUtf16(key));
    if (!value) return std::string(defaultText);
    // Windows' own readers stop at the first NUL, so the text ends there for every reader of it:
    // whatever follows cannot make one part of the program see other settings than another.
    value->resize(std::min(value->size(), value->find(L'\0')));
    return win32::toUtf8(*value);
}

void RegistryStore::save(std::string_view application, std::string_view section, std::string_view key,
                         std::string_view text) {
    const std::wstring value = win32::toUtf16(text);
    if (value.size() >= MAXDWORD / sizeof(wchar_t)) {
        win32::throwError(ERROR_ARITHMETIC_OVERFLOW, "RegSetValueExW");
    }

    HKEY creating = nullptr;
    const LSTATUS created =
        RegCreateKeyExW(HKEY_CURRENT_USER, sectionPath(application, section).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &creating, nullptr);
    const win32::ScopedHKEY sectionKey(creating);
    if (created != ERROR_SUCCESS) win32::throwError(static_cast<DWORD>(created), "RegCreateKeyExW");

    // c_str() supplies the terminating NUL that REG_SZ data is expected to carry.
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const LSTATUS set = RegSetValueExW(sectionKey.get(), win32::toUtf16(key).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    if (set != ERROR_SUCCESS) win32::throwError(static_cast<DWORD>(set), "RegSetValueExW");
}

}  // namespace zelt::win32
