#pragma once

#include <cstdint>
#include <exception>

#include "common/failure.h"

namespace zelt {

// Runs the steps of a trapping reaction: a step that fails is abandoned where it failed, its code
// becomes the reaction's failure code, and the reaction goes on with its next step. A later failure
// replaces an earlier code; a step that succeeds never resets it.
class Trap {
  public:
    template <typename Step>
    void step(Step&& body) noexcept {
        try {
            body();
        } catch (const Failure& failure) {
            code_ = failure.code();
        } catch (...) {
            code_ = failure_code::kUnexpected;
        }
    }

    // A step that tests a condition and then acts: when the test itself fails, the action is
    // attempted as if the test had passed.
    template <typename Test, typename Action>
    void stepIf(Test&& test, Action&& action) noexcept {
        step([&] {
            bool passed = true;
            step([&] { passed = test(); });
            if (passed) action();
        });
    }

    bool failed() const noexcept { return code_ != 0; }

  private:
    std::int32_t code_ = 0;
};

}  // namespace zelt
