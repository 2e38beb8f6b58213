#include "common/win32_failure.h"

#include <cstdint>

#include "common/failure.h"

namespace zelt::win32 {

void throwError(DWORD error, const std::string& what) {
    throw Failure(error != 0 ? static_cast<std::int32_t>(error) : failure_code::kUnexpected,
                  what + " (Windows error " + std::to_string(error) + ")");
}

void throwLastError(const std::string& what) {
    throwError(GetLastError(), what);
}

}  // namespace zelt::win32
