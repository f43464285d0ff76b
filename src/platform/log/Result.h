#pragma once

#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace ov {

/// Why a call failed: a code to branch on and words for a person. The message names the file,
/// field or value concerned; it is complete enough to show as it is.
struct Error {
    std::error_code code;
    std::string message;
};

/// The outcome of a call that can fail: its value, or the Error that prevented it. Every
/// fallible public call of the library returns one (Result<void> when there is no value).
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    [[nodiscard]] bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    /// The value; only when ok().
    [[nodiscard]] T& value() & { return std::get<0>(state_); }
    [[nodiscard]] const T& value() const& { return std::get<0>(state_); }
    [[nodiscard]] T&& value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    /// The error; only when !ok().
    [[nodiscard]] const Error& error() const { return std::get<1>(state_); }

private:
    std::variant<T, Error> state_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), failed_(true) {}

    [[nodiscard]] bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    [[nodiscard]] const Error& error() const { return error_; }

private:
    Error error_;
    bool failed_ = false;
};

/// An Error from a code and a message.
inline Error makeError(std::errc code, std::string message) {
    return {std::make_error_code(code), std::move(message)};
}

} // namespace ov
