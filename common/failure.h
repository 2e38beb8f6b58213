#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

namespace zelt {

// Failure codes of the program's own: the reactions only tell zero from non-zero, the kinds tell
// tests and logs apart. Each is the number Windows' serial communications control and its runtime
// give the same failure (380 a value refused, 8018 a port not open), known to readers of the log.
// Windows error numbers pass through as they are and may coincide with these; nothing tells them apart.
namespace failure_code {
inline constexpr std::int32_t kInvalidPropertyValue = 380;  // a value a control or the port refuses
inline constexpr std::int32_t kPortNotOpen = 8018;          // write or read on a closed port
inline constexpr std::int32_t kPortAlreadyOpen = 8005;      // port number changed while open
inline constexpr std::int32_t kOverflow = 6;                // arithmetic beyond 16 bits
inline constexpr std::int32_t kTypeMismatch = 13;           // a text that does not convert
inline constexpr std::int32_t kWriteTimeout = 8012;         // the radio did not take the bytes in time
inline constexpr std::int32_t kRefused = 70;                // a request the program will not carry out now
inline constexpr std::int32_t kUnexpected = -1;             // anything the layers did not foresee
}  // namespace failure_code

// The one kind of failure the program's operations raise: it always carries a nonzero code.
class Failure : public std::runtime_error {
  public:
    Failure(std::int32_t code, const std::string& what)
        : std::runtime_error(what), code_(code == 0 ? failure_code::kUnexpected : code) {}

    std::int32_t code() const noexcept { return code_; }

  private:
    std::int32_t code_;
};

// Called inside a catch block: the failure being handled; one that was not a std::exception reads
// as an unexpected failure. It stays valid until that block ends.
inline const std::exception& currentFailure() noexcept {
    static const Failure unexpected(failure_code::kUnexpected, "unexpected failure");
    try {
        throw;
    } catch (const std::exception& failure) {
        return failure;  // rethrown, not copied: it lives as long as the caller's handler
    } catch (...) {
        return unexpected;
    }
}

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
