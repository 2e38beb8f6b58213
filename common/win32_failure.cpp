#include "common/win32_failure.h"

#include <cstdint>

#include "common/failure.h"
#include "common/win32_text.h"

namespace zelt::win32 {
namespace {

// The system's own words for an error number, without the line break it ends with; empty when
// it has none.
std::string systemText(DWORD error) {
    wchar_t text[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  0, text, static_cast<DWORD>(std::size(text)), nullptr);
    while (length > 0 &&
           (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) {
        --length;
    }
    return toUtf8(std::wstring_view(text, length));
}

}  // namespace

void throwError(DWORD error, const std::string& what) {
    const std::string text = systemText(error);
    throw Failure(
        error != 0 ? static_cast<std::int32_t>(error) : failure_code::kUnexpected,
        what + (text.empty() ? "" : ": " + text) + " (Windows error " + std::to_string(error) + ")");
}

void throwLastError(const std::string& what) {
    throwError(GetLastError(), what);
}

std::string hresultText(HRESULT result) {
    std::string text = "HRESULT 0x";
    const auto bits = static_cast<std::uint32_t>(result);
    for (int shift = 28; shift >= 0; shift -= 4) text += "0123456789ABCDEF"[(bits >> shift) & 0xF];
    return text;
}

}  // namespace zelt::win32
