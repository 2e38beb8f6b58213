#pragma once

#include <string>
#include <string_view>

#include "common/append_file.h"
#include "common/win32_scoped.h"

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

}  // namespace zelt::win32
