#include "common/win32_text.h"

#include <windows.h>

#include <climits>

#include "common/win32_failure.h"

namespace zelt::win32 {

std::wstring toUtf16(std::string_view utf8) {
    if (utf8.empty()) return {};
    if (utf8.size() > static_cast<std::size_t>(INT_MAX)) {
        throwError(ERROR_ARITHMETIC_OVERFLOW, "text conversion");
    }
    const int length = static_cast<int>(utf8.size());
    const int wideLength =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (wideLength <= 0) throwLastError("MultiByteToWideChar");
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), wideLength) !=
        wideLength) {
        throwLastError("MultiByteToWideChar");
    }
    return wide;
}

std::string toUtf8(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    // Each UTF-16 unit becomes at most three bytes; the result must still fit an int.
    if (utf16.size() > static_cast<std::size_t>(INT_MAX / 4)) {
        throwError(ERROR_ARITHMETIC_OVERFLOW, "text conversion");
    }
    const int length = static_cast<int>(utf16.size());
    const int narrowLength =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (narrowLength <= 0) throwLastError("WideCharToMultiByte");
    std::string text(static_cast<std::size_t>(narrowLength), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, text.data(), narrowLength, nullptr, nullptr) !=
        narrowLength) {
        throwLastError("WideCharToMultiByte");
    }
    return text;
}

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return toUtf8(text);
}

}  // namespace zelt::win32
