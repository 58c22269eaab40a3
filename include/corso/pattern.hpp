// Path patterns: globs read as paths, matched segment by segment in time
// linear in the product of the two lengths, never by backtracking.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "corso/export.hpp"
#include "corso/path.hpp"
#include "corso/result.hpp"
#include "corso/syntax.hpp"

namespace corso {

// The flag of patterns.
struct pattern_options {
  bool ignore_ascii_case = false;  // fold A-Z to a-z, in the volume too; no other character is folded
};

namespace detail {
// A segment of a compiled pattern: its bytes in the pattern's text, and how
// it is matched.
struct pattern_segment {
  enum class kind : unsigned char {
    any_segments,  // "**": zero or more whole segments
    walk,          // no '*', or no '?' and no set: one walk, a '*' retried from where it began
    general,       // '*' with '?' or a set: the set of reachable offsets, token by token
  };
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
  kind how = kind::walk;
};
}  // namespace detail

// A pattern in the syntax S, compiled once and matched against many paths.
//
// The text is read as a path of S (separators collapse; under Windows '/'
// is '\' and the volume ends at the first ':'). Its volume is literal; after
// it, each segment is a pattern of its own: '*' matches any bytes of one
// segment, '?' one character (a well-formed UTF-8 sequence, or else one
// byte), [a-z], [!a-z] and [^a-z] one character of a set, and a segment
// that is exactly "**" zero or more whole segments. There is no escape
// character ([*] matches '*') and no braces ({a,b} matches itself).
// A pattern matches the whole path: a leading separator only rooted paths,
// a trailing separator only directory paths (a/, a/., a/..), and without
// one it ignores a trailing separator of the path. Dot files are not
// special, and nothing is normalized.
// posix_pattern::v("src/**/*.cpp") matches src/a.cpp and src/x/y/b.cpp, not
// a/src/a.cpp; "*.d/" matches x.d/ and not x.d | windows_pattern::v("C:/**")
// matches C:\ and C:\x\y, not c:\x (unless {.ignore_ascii_case = true}).
template <path_syntax S>
class CORSO_API basic_pattern {
 public:
  using syntax = S;

  // The pattern of text, or the error "\"[a\": invalid pattern" when text is
  // not a path of S or a '[' has no ']' in its segment.
  [[nodiscard]] static result<basic_pattern> of_string(std::string_view text, pattern_options options = {});

  // The same, throwing std::invalid_argument with the message of the error.
  [[nodiscard]] static basic_pattern v(std::string_view text, pattern_options options = {}) {
    return of_string(text, options).value();
  }

  // True when p matches, in O(length of the pattern x length of p).
  [[nodiscard]] bool matches(const basic_path<S>& p) const;

  // The text as read: "a//*" => a/*; under Windows "C:/*" => C:\*.
  [[nodiscard]] const std::string& to_string() const noexcept { return text_; }

 private:
  basic_pattern() = default;
  std::string text_;
  std::vector<detail::pattern_segment> segments_;
  std::uint32_t volume_size_ = 0;
  bool rooted_ = false;
  bool directories_only_ = false;
  bool has_any_segments_ = false;
  pattern_options options_;
};

using posix_pattern = basic_pattern<posix_syntax>;
using windows_pattern = basic_pattern<windows_syntax>;
// The host's pattern: windows_pattern in Windows builds, posix_pattern elsewhere.
using pattern = basic_pattern<host_syntax>;

// basic_pattern<S>::v(pattern, options).matches(p), for one path: throws
// std::invalid_argument when pattern is invalid.
// matches("**/*.h", a/b.h) => true, matches("*", /a) => false.
inline constexpr struct matches_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(std::string_view pattern, const basic_path<S>& p,
                                          pattern_options options = {}) const;
} matches{};

#define CORSO_PATTERN_INSTANTIATIONS(KEYWORDS, S) \
  KEYWORDS CORSO_API bool matches_fn::operator()(std::string_view, const basic_path<S>&, pattern_options) const;

CORSO_PATTERN_INSTANTIATIONS(extern template, posix_syntax)
CORSO_PATTERN_INSTANTIATIONS(extern template, windows_syntax)

}  // namespace corso
