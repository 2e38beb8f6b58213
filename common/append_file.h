#pragma once

#include <string>
#include <string_view>

namespace zelt {

// A text file that grows at its end. Each append reaches the system at once (nothing waits in the
// program), so a line written survives the program ending without notice. Both operations throw
// Failure with a nonzero code when they fail.
class AppendFile {
  public:
    virtual ~AppendFile() = default;
    // Opens the file at the path (UTF-8), making it when it does not exist.
    virtual void open(const std::string& path) = 0;
    virtual void append(std::string_view text) = 0;
};

}  // namespace zelt
