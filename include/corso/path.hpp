// The path value and its parsing.
#pragma once

#include <compare>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "corso/export.hpp"
#include "corso/result.hpp"
#include "corso/syntax.hpp"

namespace corso {

template <path_syntax S>
class basic_path;
template <path_syntax S>
class basic_path_set;
template <path_syntax S, class V>
class basic_path_map;

namespace detail {
// The library's own door to the private constructor: operations build paths
// only from bytes that already satisfy the invariants of their syntax.
struct path_access {
  template <path_syntax S>
  [[nodiscard]] static basic_path<S> make(std::string&& s) noexcept {
    return basic_path<S>(std::move(s));
  }
};

// The path of bytes that satisfy the invariants of S, taken as they are.
template <path_syntax S>
[[nodiscard]] basic_path<S> make_path(std::string&& s) noexcept {
  return path_access::make<S>(std::move(s));
}
}  // namespace detail

// A validated, non-empty byte string in the syntax S. It is obtained only by
// parsing (`of_string`, `v`) or from the library's operations, so every
// operation can trust it. Under the POSIX syntax it holds no NUL and no "//"
// but a leading one; under the Windows syntax no NUL, no '/', no "\\" but a
// leading one (then a complete UNC volume follows, and a '\' after it), and
// when it holds a ':' and is not UNC, at least one byte after its first ':'.
template <path_syntax S>
class CORSO_API basic_path {
 public:
  using syntax = S;
  using set = basic_path_set<S>;  // ordered sets of these paths (corso/set.hpp)
  template <class V>
  using map = basic_path_map<S, V>;  // ordered maps keyed by them (corso/map.hpp)

  // ".", the value of a moved-from path: std::vector<posix_path>(3) holds
  // three, and a map's operator[] can make one.
  basic_path() noexcept { become_current_dir(); }
  basic_path(const basic_path&) = default;
  basic_path& operator=(const basic_path&) = default;
  // A moved-from path is "." so that every path object stays a valid path.
  basic_path(basic_path&& other) noexcept : s_(std::move(other.s_)) { other.become_current_dir(); }
  basic_path& operator=(basic_path&& other) noexcept {
    s_ = std::move(other.s_);
    if (&other != this) other.become_current_dir();
    return *this;
  }
  ~basic_path() = default;

  // Parses s. POSIX: "a//b" => a/b, "" => error "\"\": invalid path".
  // Windows: "C:/a" => C:\a, "//srv/sh" => \\srv\sh\, "C:" and "///srv/sh" => error.
  // An rvalue string that is already a valid path is kept without allocation.
  [[nodiscard]] static result<basic_path> of_string(std::string&& s);
  [[nodiscard]] static result<basic_path> of_string(std::string_view s);
  [[nodiscard]] static result<basic_path> of_string(const char* s) { return of_string(std::string_view(s)); }

  // Parses s like of_string; throws std::invalid_argument with the same
  // message when s is not a path.
  [[nodiscard]] static basic_path v(std::string&& s) { return of_string(std::move(s)).value(); }
  [[nodiscard]] static basic_path v(std::string_view s) { return of_string(s).value(); }
  [[nodiscard]] static basic_path v(const char* s) { return of_string(std::string_view(s)).value(); }

  // The bytes of the path, unchanged.
  [[nodiscard]] const std::string& to_string() const& noexcept { return s_; }
  [[nodiscard]] std::string to_string() && {
    std::string out = std::move(s_);
    become_current_dir();
    return out;
  }
  [[nodiscard]] std::string_view view() const noexcept { return s_; }
  // NUL-terminated bytes for C interfaces; a path never holds a NUL itself.
  [[nodiscard]] const char* c_str() const noexcept { return s_.c_str(); }

  // Byte-wise equality and lexicographic order of the bytes: a/b == a//b
  // once parsed, a != a/.
  friend bool operator==(const basic_path&, const basic_path&) = default;
  friend std::strong_ordering operator<=>(const basic_path&, const basic_path&) = default;

 private:
  friend struct detail::path_access;
  explicit basic_path(std::string&& s) noexcept : s_(std::move(s)) {}
  // Inline and without allocation: a string's own buffer holds one byte.
  void become_current_dir() noexcept {
    s_.clear();
    s_.push_back('.');
  }
  std::string s_;
};

using posix_path = basic_path<posix_syntax>;
using windows_path = basic_path<windows_syntax>;
// The host's path: windows_path in Windows builds, posix_path elsewhere.
using path = basic_path<host_syntax>;

// Parses a host path (see basic_path::of_string).
template <class Text>
requires requires(Text&& t) { path::of_string(std::forward<Text>(t)); }
[[nodiscard]] result<path> of_string(Text&& s) { return path::of_string(std::forward<Text>(s)); }

// Parses a host path or throws std::invalid_argument (see basic_path::v).
template <class Text>
requires requires(Text&& t) { path::v(std::forward<Text>(t)); }
[[nodiscard]] path v(Text&& s) { return path::v(std::forward<Text>(s)); }

// True when s may stand between two separators: no NUL and no separator
// ('/' under POSIX; '\' and '/' under Windows). The empty string is a segment.
// is_seg<posix_syntax>("a\\b") => true, is_seg<windows_syntax>("a\\b") => false.
template <path_syntax S = host_syntax>
[[nodiscard]] constexpr bool is_seg(std::string_view s) noexcept {
  for (char c : s) {
    if (c == '\0' || c == S::dir_sep_char || (S::is_windows && c == '/')) return false;
  }
  return true;
}

// True exactly for "." and "..".
[[nodiscard]] constexpr bool is_rel_seg(std::string_view s) noexcept { return s == "." || s == ".."; }

// Writes the bytes of p, unquoted.
template <path_syntax S>
std::ostream& operator<<(std::ostream& os, const basic_path<S>& p) {
  return os << p.view();
}

namespace literals {
// "a//b"_path => the host path a/b; throws std::invalid_argument when the
// text is not a path.
[[nodiscard]] inline path operator""_path(const char* s, std::size_t n) { return path::v(std::string_view(s, n)); }
}  // namespace literals

}  // namespace corso

template <corso::path_syntax S>
struct std::hash<corso::basic_path<S>> {
  [[nodiscard]] std::size_t operator()(const corso::basic_path<S>& p) const noexcept {
    return std::hash<std::string_view>{}(p.view());
  }
};
