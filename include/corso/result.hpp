// A value or an error message, for operations that parse text from outside.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace corso {

// The error of a failed parse: a message and nothing else.
class error {
 public:
  explicit error(std::string message) noexcept : message_(std::move(message)) {}
  [[nodiscard]] const std::string& message() const noexcept { return message_; }
  friend bool operator==(const error&, const error&) = default;

 private:
  std::string message_;
};

// Either a T or an `error`; the interface follows std::expected. Reaching for
// the value of an error throws std::invalid_argument with the error's message,
// so a failed parse can never be read as a value.
template <class T>
class result {
 public:
  result(T value) noexcept(std::is_nothrow_move_constructible_v<T>)  // NOLINT: implicit like std::expected
      : v_(std::in_place_index<0>, std::move(value)) {}
  result(corso::error e) noexcept  // NOLINT: implicit like std::unexpected
      : v_(std::in_place_index<1>, std::move(e)) {}

  [[nodiscard]] bool has_value() const noexcept { return v_.index() == 0; }
  explicit operator bool() const noexcept { return has_value(); }

  [[nodiscard]] const T& value() const& {
    check();
    return *std::get_if<0>(&v_);
  }
  [[nodiscard]] T& value() & {
    check();
    return *std::get_if<0>(&v_);
  }
  [[nodiscard]] T&& value() && {
    check();
    return std::move(*std::get_if<0>(&v_));
  }
  [[nodiscard]] const T& operator*() const& { return value(); }
  [[nodiscard]] T& operator*() & { return value(); }
  [[nodiscard]] T&& operator*() && { return std::move(*this).value(); }
  [[nodiscard]] const T* operator->() const { return &value(); }
  [[nodiscard]] T* operator->() { return &value(); }

  template <class U>
  [[nodiscard]] T value_or(U&& fallback) const& {
    return has_value() ? *std::get_if<0>(&v_) : static_cast<T>(std::forward<U>(fallback));
  }
  template <class U>
  [[nodiscard]] T value_or(U&& fallback) && {
    return has_value() ? std::move(*std::get_if<0>(&v_)) : static_cast<T>(std::forward<U>(fallback));
  }

  // The error; throws std::logic_error when the result holds a value.
  [[nodiscard]] const corso::error& error() const {
    if (has_value()) throw std::logic_error("corso::result holds a value, not an error");
    return *std::get_if<1>(&v_);
  }

 private:
  void check() const {
    if (!has_value()) throw std::invalid_argument(std::get_if<1>(&v_)->message());
  }
  std::variant<T, corso::error> v_;
};

}  // namespace corso
