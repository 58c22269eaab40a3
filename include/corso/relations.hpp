// Relations between paths and questions about one path: prefixes,
// relativization, predicates, comparison and printing. Examples are written
// plainly, one character a byte; POSIX first, Windows after "|".
#pragma once

#include <optional>
#include <string>

#include "corso/format.hpp"
#include "corso/path.hpp"

namespace corso {

// True when prefix is a byte prefix of p that ends at a segment boundary of p;
// nothing is normalized: is_prefix(/a, /a/b) => true, is_prefix(/a, /ab) => false,
// is_prefix(/a/, /a) => false, is_prefix(a/./b, a/b/c) => false |
// is_prefix(C:\A, C:\a\b) => false.
inline constexpr struct is_prefix_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& prefix, const basic_path<S>& p) const noexcept;
} is_prefix{};

// The longest common prefix of p0 and p1 that ends at a segment boundary of
// both, or nothing: find_prefix(/a/b, /a/c) => /a/, find_prefix(a/b, a/bc) => a/,
// find_prefix(a, b) => nothing, find_prefix(//a, /a) => nothing |
// find_prefix(C:\a, C:\b) => C:\, find_prefix(C:\a, D:\a) => nothing (a common
// prefix always reaches past both volumes).
inline constexpr struct find_prefix_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::optional<basic_path<S>> operator()(const basic_path<S>& p0,
                                                                  const basic_path<S>& p1) const;
} find_prefix{};

// p without prefix, as a relative path, or nothing when prefix is not a
// prefix of p or is p itself: rem_prefix(/a, /a/b/) => b/, rem_prefix(/a, /a/) => ./,
// rem_prefix(/a, /a) => nothing | rem_prefix(C:\, C:\a\b) => a\b; nothing when
// the rest would hold a ':' (it would read as a volume).
inline constexpr struct rem_prefix_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::optional<basic_path<S>> operator()(const basic_path<S>& prefix,
                                                                  const basic_path<S>& p) const;
} rem_prefix{};

// The relative path that leads from the directory root to p, both normalized
// first, or nothing when the text does not give one: one is absolute and the
// other relative, the volumes differ, or root climbs (..) where p does not.
// relativize(/a/b/, /a/c) => ../c, relativize(/a/b, /a/b/c) => c,
// relativize(/a/b/, /a/b/) => ./, relativize(a/, .) => .././, relativize(/a, a) => nothing,
// relativize(.., a) => nothing | relativize(C:\a\, C:\a\b) => b,
// relativize(C:\a, D:\a) => nothing; nothing when the result would hold a ':'.
inline constexpr struct relativize_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::optional<basic_path<S>> operator()(const basic_path<S>& root,
                                                                  const basic_path<S>& p) const;
} relativize{};

// True when relativize(root, p) exists and does not climb out of root:
// is_rooted(/a/b/, /a/b/c) => true, is_rooted(/a/b/, /a/b/) => true,
// is_rooted(/a/b/, /a/b) => false, is_rooted(a/, a/../b) => false.
inline constexpr struct is_rooted_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& root, const basic_path<S>& p) const;
} is_rooted{};

// True when p does not start at a root: is_rel(a) => true, is_rel(/a) => false |
// is_rel(C:a) => true, is_rel(\a) => false, is_rel(\\srv\sh\a) => false.
inline constexpr struct is_rel_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& p) const noexcept;
} is_rel{};

// The negation of is_rel.
inline constexpr struct is_abs_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& p) const noexcept;
} is_abs{};

// True when p is a volume and one separator: / and // | \, C:\ and \\srv\sh\.
inline constexpr struct is_root_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& p) const noexcept;
} is_root{};

// The flag of is_current_dir and is_parent_dir.
struct dir_options {
  bool prefix = false;  // also true for paths that begin with ./ (../)
};

// True for . and ./; with {.prefix = true} also for every path that begins
// with ./: is_current_dir(./a) => false, is_current_dir(./a, {.prefix = true}) => true |
// is_current_dir(C:.) => true; a UNC path never is.
inline constexpr struct is_current_dir_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& p, dir_options options = {}) const noexcept;
} is_current_dir{};

// True for .. and ../; with {.prefix = true} also for every path that begins
// with ../: is_parent_dir(../a, {.prefix = true}) => true | is_parent_dir(C:..) => true.
inline constexpr struct is_parent_dir_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& p, dir_options options = {}) const noexcept;
} is_parent_dir{};

// True when the base name begins with '.': is_dotfile(a/.git/) => true,
// is_dotfile(..a) => true, is_dotfile(a/..) => false, is_dotfile(/) => false.
inline constexpr struct is_dotfile_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& p) const;
} is_dotfile{};

// Byte equality; nothing is normalized: equal(a/b, a/b/) => false | equal(C:\a, c:\a) => false.
template <path_syntax S>
[[nodiscard]] bool equal(const basic_path<S>& p, const basic_path<S>& q) noexcept {
  return p == q;
}

// The byte order of the paths as -1, 0 or 1; the order of path sets and maps.
template <path_syntax S>
[[nodiscard]] int compare(const basic_path<S>& p, const basic_path<S>& q) noexcept {
  const int c = p.view().compare(q.view());
  return (c > 0) - (c < 0);
}

// The bytes of p, unchanged.
template <path_syntax S>
[[nodiscard]] const std::string& to_string(const basic_path<S>& p) noexcept {
  return p.to_string();
}

// Prints the bytes of p as one piece of text: a/b prints a/b.
template <path_syntax S>
void pp(formatter& f, const basic_path<S>& p) {
  f.text(p.view());
}

// Prints p quoted and escaped: a/b prints "a/b", C:\a prints "C:\\a".
template <path_syntax S>
CORSO_API void dump(formatter& f, const basic_path<S>& p);

// The instantiations that the library compiles and exports, for either
// syntax: declared here with `extern template`, defined by its unit with
// `template`, from this one list.
#define CORSO_RELATIONS_INSTANTIATIONS(KEYWORDS, S)                                                            \
  KEYWORDS CORSO_API bool is_prefix_fn::operator()(const basic_path<S>&, const basic_path<S>&) const noexcept; \
  KEYWORDS CORSO_API std::optional<basic_path<S>> find_prefix_fn::operator()(const basic_path<S>&,             \
                                                                             const basic_path<S>&) const;      \
  KEYWORDS CORSO_API std::optional<basic_path<S>> rem_prefix_fn::operator()(const basic_path<S>&,              \
                                                                            const basic_path<S>&) const;       \
  KEYWORDS CORSO_API std::optional<basic_path<S>> relativize_fn::operator()(const basic_path<S>&,              \
                                                                            const basic_path<S>&) const;       \
  KEYWORDS CORSO_API bool is_rooted_fn::operator()(const basic_path<S>&, const basic_path<S>&) const;          \
  KEYWORDS CORSO_API bool is_rel_fn::operator()(const basic_path<S>&) const noexcept;                          \
  KEYWORDS CORSO_API bool is_abs_fn::operator()(const basic_path<S>&) const noexcept;                          \
  KEYWORDS CORSO_API bool is_root_fn::operator()(const basic_path<S>&) const noexcept;                         \
  KEYWORDS CORSO_API bool is_current_dir_fn::operator()(const basic_path<S>&, dir_options) const noexcept;     \
  KEYWORDS CORSO_API bool is_parent_dir_fn::operator()(const basic_path<S>&, dir_options) const noexcept;      \
  KEYWORDS CORSO_API bool is_dotfile_fn::operator()(const basic_path<S>&) const;                               \
  KEYWORDS CORSO_API void dump(formatter&, const basic_path<S>&);

CORSO_RELATIONS_INSTANTIATIONS(extern template, posix_syntax)
CORSO_RELATIONS_INSTANTIATIONS(extern template, windows_syntax)

}  // namespace corso
