#pragma once

#include "common/win32_optional_functions.h"

namespace zelt::testing {

// For the rest of the scope the program sees the table handed in (empty: a system older than every
// optional function, as Windows 7), then the system's own again.
class OptionalFunctionsAs {
  public:
    explicit OptionalFunctionsAs(const win32::OptionalFunctions& table = {}) {
        win32::optionalFunctions() = table;
    }
    ~OptionalFunctionsAs() { win32::optionalFunctions() = win32::lookUpOptionalFunctions(); }
    OptionalFunctionsAs(const OptionalFunctionsAs&) = delete;
    OptionalFunctionsAs& operator=(const OptionalFunctionsAs&) = delete;
};

}  // namespace zelt::testing
