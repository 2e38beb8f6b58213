#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "common/event_log.h"
#include "common/event_log_file.h"
#include "common/win32_scoped.h"

// The event log's Windows side: the file it is copied to and the clock it stamps its events with.

namespace zelt::win32 {

// A file opened for appending (FILE_APPEND_DATA): every write goes to its end, and other programs
// may read it, or append to it, meanwhile. Each append is one WriteFile, unbuffered here.
class AppendFile final : public zelt::AppendFile {
  public:
    void open(const std::string& path) override;
    void append(std::string_view text) override;
    bool endsMidLine() override;

  private:
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
