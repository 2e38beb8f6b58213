#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "common/event_log.h"
#include "common/failure.h"
#include "common/win32_scoped.h"
#include "common/win32_text.h"

namespace zelt::win32 {

// A file opened for appending (FILE_APPEND_DATA): every write goes to its end, and other programs
// may read it, or append to it, meanwhile. Each append is one WriteFile, unbuffered here.
class AppendFile final : public zelt::AppendFile {
  public:
    void open(const std::string& path) override {
        // Read access only to look at the last byte: every write still goes to the end.
        HANDLE raw = CreateFileW(toUtf16(path).c_str(), FILE_APPEND_DATA | FILE_READ_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE) throwLastError("CreateFileW");
        handle_.reset(raw);
    }

    void append(std::string_view text) override {
        checkOpen();
        DWORD written = 0;
        if (!WriteFile(handle_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
            throwLastError("WriteFile");
        }
        if (written != text.size()) throwError(ERROR_WRITE_FAULT, "WriteFile");
    }

    bool endsMidLine() override {
        checkOpen();
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

  private:
    void checkOpen() const {
        if (!handle_) throw Failure(failure_code::kUnexpected, "the file is not open");
    }

    ScopedHandle handle_;
};

// The local time as Windows keeps it; the milliseconds since Windows started.
class Clock final : public zelt::Clock {
  public:
    LocalTime now() noexcept override {
        SYSTEMTIME time{};
        GetLocalTime(&time);
        return LocalTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                         time.wMinute, time.wSecond, time.wMilliseconds};
    }
    std::uint64_t steadyMilliseconds() noexcept override { return GetTickCount64(); }
};

}  // namespace zelt::win32
