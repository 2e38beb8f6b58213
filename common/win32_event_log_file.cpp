#include "common/win32_event_log_file.h"

#include <windows.h>

#include "common/failure.h"
#include "common/win32_text.h"

namespace zelt::win32 {

void AppendFile::open(const std::string& path) {
    // Read access only to look at the last byte: every write still goes to the end.
    HANDLE raw =
        CreateFileW(toUtf16(path).c_str(), FILE_APPEND_DATA | FILE_READ_DATA,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) throwLastError("CreateFileW");
    handle_.reset(raw);
}

void AppendFile::append(std::string_view text) {
    if (!handle_) throw Failure(failure_code::kUnexpected, "the file is not open");
    DWORD written = 0;
    if (!WriteFile(handle_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        throwLastError("WriteFile");
    }
    if (written != text.size()) throwError(ERROR_WRITE_FAULT, "WriteFile");
}

bool AppendFile::endsMidLine() {
    if (!handle_) throw Failure(failure_code::kUnexpected, "the file is not open");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_.get(), &size)) throwLastError("GetFileSizeEx");
    if (size.QuadPart == 0) return false;
    const auto last = static_cast<ULONGLONG>(size.QuadPart - 1);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(last);
    at.OffsetHigh = static_cast<DWORD>(last >> 32);
    char byte = 0;
    DWORD read = 0;
    if (!ReadFile(handle_.get(), &byte, 1, &read, &at)) throwLastError("ReadFile");
    return read == 1 && byte != '\n';
}

}  // namespace zelt::win32
