#pragma once

#include <string>
#include <string_view>

namespace zelt {

// A text file that grows at its end. Each append reaches the system at once (nothing waits in the
// program), so a line written survives the program ending without notice. Every operation throws
// Failure with a nonzero code when it fails.
class AppendFile {
  public:
    virtual ~AppendFile() = default;
    // Opens the file at the path (UTF-8), making it when it does not exist.
    virtual void open(const std::string& path) = 0;
    virtual void append(std::string_view text) = 0;
    // Whether the open file ends in a line cut short: not empty, and its last byte no line end.
    virtual bool endsMidLine() = 0;
};

}  // namespace zelt
