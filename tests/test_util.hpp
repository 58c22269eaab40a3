// Helpers shared by the tests.
#pragma once

#include <corso/corso.hpp>

#include "strings.hpp"

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace corso::test {

template <path_syntax S>
basic_path<S> P(std::string_view s) {
  return basic_path<S>::v(s);
}

inline posix_path px(std::string_view s) { return posix_path::v(s); }
inline windows_path wn(std::string_view s) { return windows_path::v(s); }

// A random string of up to `max` bytes drawn from `alphabet`, copied into a
// heap buffer of exactly its size, so that AddressSanitizer catches a read
// one past its end. view() is the copy.
class exact_random_bytes {
 public:
  exact_random_bytes(std::mt19937& rng, std::size_t max, std::string_view alphabet)
      : text_(rng() % max, ' '), heap_(new char[text_.size()]) {
    for (char& c : text_) c = alphabet[rng() % alphabet.size()];
    std::copy(text_.begin(), text_.end(), heap_.get());
  }
  [[nodiscard]] std::string_view view() const noexcept { return {heap_.get(), text_.size()}; }
  [[nodiscard]] const std::string& text() const noexcept { return text_; }

 private:
  std::string text_;
  std::unique_ptr<char[]> heap_;
};

// The bytes of an optional path, or "-" for none: a table's expected column.
inline std::string shown(const auto& opt) { return opt ? opt->to_string() : "-"; }

// True when s parses under S to exactly s: the invariants of a path hold.
template <path_syntax S>
bool is_valid_path(std::string_view s) {
  const auto r = basic_path<S>::of_string(s);
  return r && r->view() == s;
}

// The message of the std::invalid_argument that f throws, or "no exception".
template <class F>
std::string invalid_argument_message(F&& f) {
  try {
    f();
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  return "no exception";
}

// Random paths in the shape of real ones, with the pieces that stress
// normalization and parsing: ".", "..", empty segments, volumes, ':'.
class path_generator {
 public:
  explicit path_generator(unsigned seed) : rng_(seed) {}

  std::string posix() {
    static const char* const starts[] = {"", "", "", "/", "/", "//", "./", "../"};
    std::string s = starts[pick(8)];
    add_segments(s, '/');
    return s;
  }

  std::string windows() {
    static const char* const starts[] = {"",           "",         "\\",         "C:",          "C:\\",
                                         "ab:",        "\\\\s\\h", "\\\\s\\h\\", "\\\\?\\C:\\", "\\\\?\\UNC\\s\\h\\",
                                         "\\\\.\\d\\", ".\\"};
    std::string s = starts[pick(12)];
    add_segments(s, pick(4) == 0 ? '/' : '\\');
    if (s.empty() || s.back() == ':') s += 'x';
    return s;
  }

 private:
  std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

  void add_segments(std::string& s, char sep) {
    static const char* const names[] = {".", "..", "a", "b", "c", "", "...", ".x", "d.e", "f:g", "UNC", "?", "\\"};
    const std::size_t n = pick(7);
    for (std::size_t i = 0; i < n; ++i) {
      if (!s.empty() && s.back() != sep) s += sep;
      s += names[pick(sep == '/' ? 13 : 12)];  // a backslash is a name under POSIX only
    }
    if (pick(3) == 0) s += sep;
    if (s.empty()) s = names[pick(5)];
    if (s.empty()) s = "a";
  }

  std::mt19937 rng_;
};

}  // namespace corso::test
