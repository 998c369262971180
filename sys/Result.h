#pragma once

#include <cerrno>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace zarn::sys {

/// Why a step failed: one line for a log or a message ("setuid: Operation not permitted"), and
/// the errno behind it where there is one (0 otherwise).
struct Error {
    std::string text;
    int code = 0;
};

/// "<step>: <strerror(code)>", keeping `code`.
Error systemError(std::string_view step, int code = errno);

/// What a step that only succeeds or fails gives back on success.
struct Ok {};

/// How the helper and these building blocks report failure, everywhere: a step that can fail
/// returns a Result, either its value or the Error that says why, in words fit for the user (a
/// refusal, such as a lock that another task holds, is one too). std::optional is kept for
/// "there may be none" (no record, no such user), which is not a failure.
template <typename T = Ok> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    explicit operator bool() const { return state_.index() == 0; }
    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    /// Only when the step failed.
    const Error& error() const { return std::get<1>(state_); }

private:
    std::variant<T, Error> state_;
};

} // namespace zarn::sys
