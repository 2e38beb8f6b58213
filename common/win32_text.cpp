#include "common/win32_text.h"

#include <windows.h>

#include <climits>
#include <cstdint>

#include "common/failure.h"

namespace zelt::win32 {

std::wstring toUtf16(std::string_view utf8) {
    if (utf8.empty()) return {};
    if (utf8.size() > static_cast<std::size_t>(INT_MAX)) {
        throwError(ERROR_ARITHMETIC_OVERFLOW, "text conversion");
    }
    // One UTF-16 unit at most per byte: one call fills the room.
    std::wstring wide(utf8.size(), L'\0');
    const int length = static_cast<int>(utf8.size());
    const int wideLength =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), length);
    if (wideLength <= 0) throwLastError("MultiByteToWideChar");
    wide.resize(static_cast<std::size_t>(wideLength));
    return wide;
}

std::string toUtf8(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    // Each UTF-16 unit becomes at most three bytes; the result must still fit an int.
    if (utf16.size() > static_cast<std::size_t>(INT_MAX / 4)) {
        throwError(ERROR_ARITHMETIC_OVERFLOW, "text conversion");
    }
    const int length = static_cast<int>(utf16.size());
    std::string text(utf16.size() * 3, '\0');
    const int narrowLength = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, text.data(),
                                                 static_cast<int>(text.size()), nullptr, nullptr);
    if (narrowLength <= 0) throwLastError("WideCharToMultiByte");
    text.resize(static_cast<std::size_t>(narrowLength));
    return text;
}

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return toUtf8(text);
}

namespace {

// The system's own words for an error number, without the line break it ends with; empty for none.
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
