// Taking paths apart and putting them together: segments, composition,
// directory paths, bases, parents and normalization. Examples are written
// plainly, one character a byte; POSIX first, Windows after "|".
#pragma once

#include <cstddef>
#include <iterator>
#include <ranges>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "corso/path.hpp"
#include "corso/result.hpp"

namespace corso {

// p with the segment seg added after one separator:
// add_seg(a, "b") => a/b, add_seg(a/, "b") => a/b, add_seg(a, "") => a/,
// add_seg(a, "..") => a/.. (nothing is resolved) | add_seg(C:\a, "b") => C:\a\b.
// Throws std::invalid_argument "\"b/c\": invalid segment" when !is_seg<S>(seg),
// and under Windows also when seg holds a ':' and p has no volume (a\b:c
// would read as the volume a\b:).
inline constexpr struct add_seg_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(const basic_path<S>& p, std::string_view seg) const;
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(basic_path<S>&& p, std::string_view seg) const;
} add_seg{};

// p1 when it is absolute or has a volume, else p1 after p0 and a separator:
// append(a, b/) => a/b/, append(a, /b) => /b, append(a, //b) => //b |
// append(C:\a, b) => C:\a\b, append(C:\a, \b) => \b, append(x, y:z) => y:z.
inline constexpr struct append_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(const basic_path<S>& p0, const basic_path<S>& p1) const;
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(basic_path<S>&& p0, const basic_path<S>& p1) const;
} append{};

namespace detail {
// text read as a relative path without a volume, or an error with the
// message append_beneath gives: the parse error, "\"/etc\": is absolute",
// "\"C:x\": has a volume".
template <path_syntax S>
[[nodiscard]] CORSO_API result<basic_path<S>> relative_path_of(std::string_view text);
extern template CORSO_API result<basic_path<posix_syntax>> relative_path_of<posix_syntax>(std::string_view);
extern template CORSO_API result<basic_path<windows_syntax>> relative_path_of<windows_syntax>(std::string_view);
}  // namespace detail

// p / text: a segment goes through add_seg (p / "" is p/, C:\a / "f.txt:s"
// is C:\a\f.txt:s); other text is read as a relative path and appended,
// with nothing resolved: /srv / "img/logo.png" => /srv/img/logo.png,
// a / "../b" => a/../b. Text that is absolute, has a volume or is not a path
// throws std::invalid_argument ("\"/etc\": is absolute"): unlike append, p /
// text never replaces p, and unlike std::filesystem's /, a leading '/' in
// the text is refused rather than taken as the new root. p / q is append(p, q).
template <path_syntax S>
[[nodiscard]] basic_path<S> operator/(const basic_path<S>& p, std::string_view text) {
  if (is_seg<S>(text)) return add_seg(p, text);
  return append(p, detail::relative_path_of<S>(text).value());
}
template <path_syntax S>
[[nodiscard]] basic_path<S> operator/(basic_path<S>&& p, std::string_view text) {
  if (is_seg<S>(text)) return add_seg(std::move(p), text);
  return append(std::move(p), detail::relative_path_of<S>(text).value());
}
template <path_syntax S>
[[nodiscard]] basic_path<S> operator/(const basic_path<S>& p0, const basic_path<S>& p1) {
  return append(p0, p1);
}
template <path_syntax S>
[[nodiscard]] basic_path<S> operator/(basic_path<S>&& p0, const basic_path<S>& p1) {
  return append(std::move(p0), p1);
}

// The volume and the rest, as strings that put together give p; the rest is
// never empty: split_volume(//a/) => ("/", "/a/"), split_volume(/a) => ("", "/a") |
// split_volume(C:a) => ("C:", "a"), split_volume(\\srv\sh\x) => ("\\srv\sh", "\x").
inline constexpr struct split_volume_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::pair<std::string, std::string> operator()(const basic_path<S>& p) const;
} split_volume{};

// The segments after the volume, empty ones kept: segs(/a/b/) => ["", a, b, ""],
// segs(//a) => ["", a] | segs(C:a) => [a], segs(\\srv\sh\) => ["", ""].
inline constexpr struct segs_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::vector<std::string> operator()(const basic_path<S>& p) const;
} segs{};

// The segments of segs(p) as views into p's bytes, allocating nothing; a
// forward range that is valid while p lives, so a temporary path is refused.
// for (std::string_view seg : segments(p)) ... yields "", a, b, "" for /a/b/.
template <path_syntax S>
class segments_view : public std::ranges::view_base {
 public:
  class iterator {
   public:
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using iterator_concept = std::forward_iterator_tag;

    iterator() = default;
    [[nodiscard]] std::string_view operator*() const noexcept { return rest_.substr(begin_, end_ - begin_); }
    iterator& operator++() noexcept {
      if (end_ == rest_.size()) {
        begin_ = end_ = std::string_view::npos;  // past the last segment
      } else {
        begin_ = end_ + 1;
        end_ = segment_end(rest_, begin_);
      }
      return *this;
    }
    iterator operator++(int) noexcept {
      iterator old = *this;
      ++*this;
      return old;
    }
    friend bool operator==(const iterator& a, const iterator& b) noexcept { return a.begin_ == b.begin_; }

   private:
    friend class segments_view;
    explicit iterator(std::string_view rest) noexcept : rest_(rest), begin_(0), end_(segment_end(rest, 0)) {}
    static std::size_t segment_end(std::string_view rest, std::size_t from) noexcept {
      const std::size_t cut = rest.find(S::dir_sep_char, from);
      return cut == std::string_view::npos ? rest.size() : cut;
    }
    std::string_view rest_;
    std::size_t begin_ = std::string_view::npos;
    std::size_t end_ = std::string_view::npos;
  };

  segments_view() = default;
  // The segments of rest, p without its volume: never empty.
  explicit segments_view(std::string_view rest) noexcept : rest_(rest) {}
  [[nodiscard]] iterator begin() const noexcept { return iterator(rest_); }
  [[nodiscard]] iterator end() const noexcept { return iterator(); }

 private:
  std::string_view rest_;
};

inline constexpr struct segments_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API segments_view<S> operator()(const basic_path<S>& p) const noexcept;
  template <path_syntax S>
  void operator()(const basic_path<S>&& p) const = delete;  // the view would outlive its path
} segments{};

// True when the last segment is empty, "." or "..": a/ and a/.. are directory
// paths, a is not | C:\ and C:. are, C:a is not.
inline constexpr struct is_dir_path_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& p) const noexcept;
} is_dir_path{};

// The negation of is_dir_path.
inline constexpr struct is_file_path_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& p) const noexcept;
} is_file_path{};

// p ending with a separator: to_dir_path(a) => a/, to_dir_path(a/) => a/ | C:a => C:a\.
inline constexpr struct to_dir_path_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(const basic_path<S>& p) const;
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(basic_path<S>&& p) const;
} to_dir_path{};

// The last segment, or "" for a directory path: filename(a/b) => "b",
// filename(a/b/) => "", filename(a/..) => "" | filename(C:a) => "a".
inline constexpr struct filename_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::string operator()(const basic_path<S>& p) const;
} filename{};

// filename(p) as a view of p's bytes, with no allocation: valid while p
// lives unchanged. A temporary path is refused, as its view would dangle.
inline constexpr struct filename_view_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::string_view operator()(const basic_path<S>& p) const noexcept;
  template <path_syntax S>
  void operator()(const basic_path<S>&& p) const = delete;
} filename_view{};

// (directory, base): the base is the last non-empty segment with its trailing
// separator, the directory part ends with a separator; a root gives (p, ./).
// split_base(a/b/) => (a/, b/), split_base(a) => (./, a), split_base(/) => (/, ./) |
// split_base(C:a) => (C:.\, a), split_base(\\srv\sh\a) => (\\srv\sh\, a).
// Under Windows, throws std::invalid_argument "<base>: invalid path" when the
// base would hold a ':' (C:\x\f.txt:s), which would read as a volume.
inline constexpr struct split_base_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::pair<basic_path<S>, basic_path<S>> operator()(const basic_path<S>& p) const;
} split_base{};

// The second part of split_base: base(a/b/) => b/, base(/) => ./ | base(C:\a) => a.
inline constexpr struct base_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(const basic_path<S>& p) const;
} base{};

// The last non-empty segment, "" when it is "." or ".." or p is a root:
// basename(a/b/) => "b", basename(a/..) => "", basename(/) => "" | basename(C:\a\) => "a".
inline constexpr struct basename_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::string operator()(const basic_path<S>& p) const;
} basename{};

// basename(p) as a view of p's bytes, as filename_view.
inline constexpr struct basename_view_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API std::string_view operator()(const basic_path<S>& p) const noexcept;
  template <path_syntax S>
  void operator()(const basic_path<S>&& p) const = delete;
} basename_view{};

// The directory that holds p, always a directory path; a root is its own
// parent, and "." or ".." gains a ".." instead of losing a segment:
// parent(a/b) => a/, parent(a) => ./, parent(a/..) => a/../../, parent(/) => / |
// parent(C:a) => C:.\, parent(\\srv\sh\a) => \\srv\sh\.
inline constexpr struct parent_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(const basic_path<S>& p) const;
} parent{};

// p without one trailing separator; roots stay: rem_empty_seg(a/) => a,
// rem_empty_seg(/) => /, rem_empty_seg(//a/) => //a | rem_empty_seg(C:\) => C:\.
inline constexpr struct rem_empty_seg_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(const basic_path<S>& p) const;
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(basic_path<S>&& p) const;
} rem_empty_seg{};

// p with "." segments removed, ".." cancelling the named segment before it,
// and ".." right under the root dropped; the volume and the directory-ness
// are kept: a/./b => a/b, a/.. => ./, b/a/.. => b/, /../a => /a, a/../.. => ../,
// //a/../.. => // | C:a\.. => C:.\, \\srv\sh\a\..\.. => \\srv\sh\.
// A path without "." or ".." segments comes back unchanged. Windows: a
// result begins with \??\ (the NT namespace, taken as it is) only when p
// does; otherwise a "." stays in front: \a\..\??\x => \.\??\x.
inline constexpr struct normalize_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(const basic_path<S>& p) const;
  template <path_syntax S>
  [[nodiscard]] CORSO_API basic_path<S> operator()(basic_path<S>&& p) const;
} normalize{};

// The instantiations that the library compiles and exports, for either
// syntax: declared here with `extern template`, defined by its units with
// `template`, from this one list.
#define CORSO_STRUCTURE_INSTANTIATIONS(KEYWORDS, S)                                                                 \
  KEYWORDS CORSO_API basic_path<S> add_seg_fn::operator()(const basic_path<S>&, std::string_view) const;            \
  KEYWORDS CORSO_API basic_path<S> add_seg_fn::operator()(basic_path<S>&&, std::string_view) const;                 \
  KEYWORDS CORSO_API basic_path<S> append_fn::operator()(const basic_path<S>&, const basic_path<S>&) const;         \
  KEYWORDS CORSO_API basic_path<S> append_fn::operator()(basic_path<S>&&, const basic_path<S>&) const;              \
  KEYWORDS CORSO_API std::pair<std::string, std::string> split_volume_fn::operator()(const basic_path<S>&) const;   \
  KEYWORDS CORSO_API std::vector<std::string> segs_fn::operator()(const basic_path<S>&) const;                      \
  KEYWORDS CORSO_API segments_view<S> segments_fn::operator()(const basic_path<S>&) const noexcept;                 \
  KEYWORDS CORSO_API bool is_dir_path_fn::operator()(const basic_path<S>&) const noexcept;                          \
  KEYWORDS CORSO_API bool is_file_path_fn::operator()(const basic_path<S>&) const noexcept;                         \
  KEYWORDS CORSO_API basic_path<S> to_dir_path_fn::operator()(const basic_path<S>&) const;                          \
  KEYWORDS CORSO_API basic_path<S> to_dir_path_fn::operator()(basic_path<S>&&) const;                               \
  KEYWORDS CORSO_API std::string filename_fn::operator()(const basic_path<S>&) const;                               \
  KEYWORDS CORSO_API std::string_view filename_view_fn::operator()(const basic_path<S>&) const noexcept;            \
  KEYWORDS CORSO_API std::pair<basic_path<S>, basic_path<S>> split_base_fn::operator()(const basic_path<S>&) const; \
  KEYWORDS CORSO_API basic_path<S> base_fn::operator()(const basic_path<S>&) const;                                 \
  KEYWORDS CORSO_API std::string basename_fn::operator()(const basic_path<S>&) const;                               \
  KEYWORDS CORSO_API std::string_view basename_view_fn::operator()(const basic_path<S>&) const noexcept;            \
  KEYWORDS CORSO_API basic_path<S> parent_fn::operator()(const basic_path<S>&) const;                               \
  KEYWORDS CORSO_API basic_path<S> rem_empty_seg_fn::operator()(const basic_path<S>&) const;                        \
  KEYWORDS CORSO_API basic_path<S> rem_empty_seg_fn::operator()(basic_path<S>&&) const;
#define CORSO_NORMALIZE_INSTANTIATIONS(KEYWORDS, S)                                      \
  KEYWORDS CORSO_API basic_path<S> normalize_fn::operator()(const basic_path<S>&) const; \
  KEYWORDS CORSO_API basic_path<S> normalize_fn::operator()(basic_path<S>&&) const;

CORSO_STRUCTURE_INSTANTIATIONS(extern template, posix_syntax)
CORSO_STRUCTURE_INSTANTIATIONS(extern template, windows_syntax)
CORSO_NORMALIZE_INSTANTIATIONS(extern template, posix_syntax)
CORSO_NORMALIZE_INSTANTIATIONS(extern template, windows_syntax)

}  // namespace corso
