// File extensions of the last non-empty segment: the single extension (the
// last '.' and what follows) and the multiple one (from the first '.' after
// the name). Leading dots never start one: .bashrc has none. A trailing
// separator stays where it is. Examples are written plainly, one character a byte.
#pragma once

#include <initializer_list>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "corso/path.hpp"

namespace corso {

// The flag of the extension operations.
struct ext_options {
  bool multi_ext = false;  // the multiple extension (.tar.gz) rather than the single one (.gz)
};

// The extension with its '.', or "": get_ext(a/b.tar.gz) => ".gz",
// get_ext(a/b.tar.gz, {.multi_ext = true}) => ".tar.gz", get_ext(a.b/) => ".b",
// get_ext(.bashrc) => "", get_ext(a.) => "." | get_ext(\\.\dev\x.y) => ".y".
inline constexpr struct get_ext_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::string operator()(const basic_path<S>& p, ext_options options = {}) const;
} get_ext{};

// get_ext(p, options) as a view of p's bytes, with no allocation: valid
// while p lives unchanged. A temporary path is refused, as its view would
// dangle.
inline constexpr struct get_ext_view_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::string_view operator()(const basic_path<S>& p, ext_options options = {}) const noexcept;
  template <path_syntax S>
  void operator()(const basic_path<S>&& p, ext_options options = {}) const = delete;
} get_ext_view{};

// The base name without its extension (with {.multi_ext = true}, without its
// multiple extension): stem(a/b.tar.gz) => "b.tar", stem(a/b.tar.gz,
// {.multi_ext = true}) => "b", stem(a.b/) => "a", stem(.bashrc) => ".bashrc",
// stem(a/..) => "" | stem(C:\x\y.txt) => "y".
inline constexpr struct stem_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::string operator()(const basic_path<S>& p, ext_options options = {}) const;
} stem{};

// stem(p, options) as a view of p's bytes, as get_ext_view.
inline constexpr struct stem_view_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::string_view operator()(const basic_path<S>& p, ext_options options = {}) const noexcept;
  template <path_syntax S>
  void operator()(const basic_path<S>&& p, ext_options options = {}) const = delete;
} stem_view{};

// True when ext, with or without its '.', is a whole trailing part of the
// multiple extension: on a/b.tar.gz, "gz", ".gz", "tar.gz" => true, "ar.gz",
// "b.tar.gz", "" => false; "" on a. => true.
inline constexpr struct has_ext_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(std::string_view ext, const basic_path<S>& p) const noexcept;
} has_ext{};

// True when has_ext holds for some element of exts: mem_ext({".zip", "gz"}, a/b.tar.gz) => true.
inline constexpr struct mem_ext_fn {
  template <class Exts, path_syntax S>
  requires std::ranges::input_range<const Exts&> &&
      std::convertible_to<std::ranges::range_reference_t<const Exts&>, std::string_view>
  [[nodiscard]] bool operator()(const Exts& exts, const basic_path<S>& p) const noexcept {
    for (auto&& ext : exts) {
      if (has_ext(std::string_view(ext), p)) return true;
    }
    return false;
  }
  template <path_syntax S>
  [[nodiscard]] bool operator()(std::initializer_list<std::string_view> exts, const basic_path<S>& p) const noexcept {
    return (*this)(std::span<const std::string_view>(exts.begin(), exts.size()), p);
  }
} mem_ext{};

// True when p has an extension; with {.multi_ext = true}, at least two:
// exists_ext(a.tar.gz, {.multi_ext = true}) => true, exists_ext(a.txt, {.multi_ext = true}) => false.
inline constexpr struct exists_ext_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& p, ext_options options = {}) const noexcept;
} exists_ext{};

// p with ext added to its last non-empty segment, a '.' put before ext when it
// has none: add_ext("gz", a/b.tar) => a/b.tar.gz, add_ext("x", a/b/) => a/b.x/;
// unchanged for "" and for a last segment ".", ".." or none (a root).
// Throws std::invalid_argument "\"a/b\": invalid extension" when ext is not a
// segment, and under Windows also when ext holds a ':' and p has no volume.
inline constexpr struct add_ext_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(std::string_view ext, const basic_path<S>& p) const;
} add_ext{};

// p without its extension: rem_ext(a/b.tar.gz) => a/b.tar,
// rem_ext(a/b.tar.gz, {.multi_ext = true}) => a/b, rem_ext(a/b.c/) => a/b/.
inline constexpr struct rem_ext_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(const basic_path<S>& p, ext_options options = {}) const;
} rem_ext{};

// add_ext(ext, rem_ext(p, options)): set_ext(".x", a/b.tar.gz) => a/b.tar.x,
// set_ext(".x", a/b.tar.gz, {.multi_ext = true}) => a/b.x, set_ext("", a.b) => a.
inline constexpr struct set_ext_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(std::string_view ext, const basic_path<S>& p,
                                                   ext_options options = {}) const;
} set_ext{};

// (rem_ext(p), get_ext(p)): split_ext(a/b.tar.gz) => (a/b.tar, ".gz"),
// split_ext(a.tar.gz/, {.multi_ext = true}) => (a/, ".tar.gz"), split_ext(.bashrc) => (.bashrc, "").
inline constexpr struct split_ext_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::pair<basic_path<S>, std::string> operator()(const basic_path<S>& p,
                                                                           ext_options options = {}) const;
} split_ext{};

// p + "txt" is add_ext("txt", p): a/b + "txt" => a/b.txt.
template <path_syntax S>
[[nodiscard]] basic_path<S> operator+(const basic_path<S>& p, std::string_view ext) {
  return add_ext(ext, p);
}

// p % "zip" replaces the single extension, set_ext("zip", p): a/b.tar.gz % "zip" => a/b.tar.zip.
template <path_syntax S>
[[nodiscard]] basic_path<S> operator%(const basic_path<S>& p, std::string_view ext) {
  return set_ext(ext, p);
}

// The instantiations that the library compiles and exports, for either
// syntax: declared here with `extern template`, defined by its unit with
// `template`, from this one list.
#define CORSO_EXTENSIONS_INSTANTIATIONS(KEYWORDS, S)                                                                   \
  KEYWORDS CORSO_API std::string get_ext_fn::operator()(const basic_path<S>&, ext_options) const;                      \
  KEYWORDS CORSO_API std::string_view get_ext_view_fn::operator()(const basic_path<S>&, ext_options) const noexcept;   \
  KEYWORDS CORSO_API std::string stem_fn::operator()(const basic_path<S>&, ext_options) const;                         \
  KEYWORDS CORSO_API std::string_view stem_view_fn::operator()(const basic_path<S>&, ext_options) const noexcept;      \
  KEYWORDS CORSO_API bool has_ext_fn::operator()(std::string_view, const basic_path<S>&) const noexcept;               \
  KEYWORDS CORSO_API bool exists_ext_fn::operator()(const basic_path<S>&, ext_options) const noexcept;                 \
  KEYWORDS CORSO_API basic_path<S> add_ext_fn::operator()(std::string_view, const basic_path<S>&) const;               \
  KEYWORDS CORSO_API basic_path<S> rem_ext_fn::operator()(const basic_path<S>&, ext_options) const;                    \
  KEYWORDS CORSO_API basic_path<S> set_ext_fn::operator()(std::string_view, const basic_path<S>&, ext_options) const;  \
  KEYWORDS CORSO_API std::pair<basic_path<S>, std::string> split_ext_fn::operator()(const basic_path<S>&, ext_options) \
      const;

CORSO_EXTENSIONS_INSTANTIATIONS(extern template, posix_syntax)
CORSO_EXTENSIONS_INSTANTIATIONS(extern template, windows_syntax)

}  // namespace corso
