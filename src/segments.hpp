// Internal, not part of the public interface: the last-segment views and the
// segment tests. Every view returned lies in the argument's buffer.
//
// How the internal functions of the library are named, here and in every
// unit: a name with the prefix sub_ works on views of a path's bytes and
// returns a view or a test of one (sub_last_seg); a name with a leading _
// is a body that others build on, after they have cut the volume off or
// chosen the separator (_split_last_seg, _parent, _relativize); a step that
// exists for one syntax only ends with _windows or _posix. Every other
// helper is named for what it returns (volume_of, parent_of, joint).
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "corso/syntax.hpp"
#include "strings.hpp"
#include "volume.hpp"

namespace corso::detail {

struct seg_split {
  std::string_view left;   // up to and including the last separator, or empty
  std::string_view right;  // the separator-free end
};

// a/b => (a/, b); a/b/ => (a/b/, ""); a => ("", a); / => (/, "").
template <char Sep>
[[nodiscard]] constexpr seg_split _split_last_seg(std::string_view v) noexcept {
  const std::size_t i = rfind_byte(v, Sep);
  if (i == v.npos) return {v.substr(0, 0), v};
  return {v.substr(0, i + 1), v.substr(i + 1)};
}

template <char Sep>
[[nodiscard]] constexpr std::string_view _sub_last_seg(std::string_view v) noexcept {
  return _split_last_seg<Sep>(v).right;
}

// The last segment and what precedes it, one trailing separator skipped.
// `ends_in_seg` is false when v ends with a separator. Separators never
// repeat after a leading pair, so one skipped separator is all there is.
// a/b => ((a/, b), true); a/b/ => ((a/, b), false); a/ => (("", a), false).
struct last_non_empty_split {
  seg_split split;
  bool ends_in_seg;
};

template <char Sep>
[[nodiscard]] constexpr last_non_empty_split _split_last_non_empty_seg(std::string_view v) noexcept {
  const bool ends_in_seg = v.empty() || v.back() != Sep;
  const std::string_view w = ends_in_seg ? v : v.substr(0, v.size() - 1);
  const std::size_t left = rfind_byte(w, Sep) + 1;  // 0 when there is none
  return {{w.substr(0, left), w.substr(left)}, ends_in_seg};
}

// a/b/ => b; a/ => a; / => ""; // => "".
template <char Sep>
[[nodiscard]] constexpr std::string_view _sub_last_non_empty_seg(std::string_view v) noexcept {
  return _split_last_non_empty_seg<Sep>(v).split.right;
}

[[nodiscard]] constexpr bool sub_is_rel_seg(std::string_view s) noexcept { return s == "." || s == ".."; }

// Empty, "." or "..": a segment that names a directory.
[[nodiscard]] constexpr bool sub_is_dir_seg(std::string_view s) noexcept { return s.empty() || sub_is_rel_seg(s); }

// Windows only: v's last segment, or nothing when it holds a ':', which
// makes the volume matter. One search finds the last separator or a ':'
// after it.
[[nodiscard]] inline std::optional<std::string_view> last_seg_without_colon(std::string_view v) noexcept {
  const std::size_t stop = rfind_either(v, '\\', ':');
  if (stop == v.npos || v[stop] == '\\') return v.substr(stop + 1);
  return std::nullopt;
}

// Windows only: p without one trailing separator, where its last non-empty
// segment ends.
[[nodiscard]] constexpr std::string_view without_trailing_sep(std::string_view p) noexcept {
  return !p.empty() && p.back() == '\\' ? p.substr(0, p.size() - 1) : p;
}

// Windows only, where a segment may hold the ':' of a drive: the last
// segment is taken after the volume. A segment of the whole path that holds
// no ':' lies after it already: the first ':' of a drive path comes before
// it, and a path without ':' has no drive. Of a UNC path, whose volume is
// followed by a '\', the last segment always does; not always the last
// non-empty one (\\srv\sh\ has none). Only the other cases need the volume
// split. Under POSIX the "//" volume is a separator like any other.
template <path_syntax S>
[[nodiscard]] constexpr std::string_view sub_last_seg(std::string_view p) noexcept {
  if constexpr (S::is_windows) {
    if (const std::optional<std::string_view> seg = last_seg_without_colon(p)) return *seg;
    return _sub_last_seg<'\\'>(begins_unc(p) ? p : volume_of<S>(p).rest);
  } else {
    return _sub_last_seg<S::dir_sep_char>(p);
  }
}

template <path_syntax S>
[[nodiscard]] constexpr std::string_view sub_last_non_empty_seg(std::string_view p) noexcept {
  if constexpr (S::is_windows) {
    // A UNC volume is followed by a '\': only a path that ends with a
    // separator can have its last non-empty segment in the volume.
    if (begins_unc(p)) {
      return p.back() == '\\' ? _sub_last_non_empty_seg<'\\'>(volume_of<S>(p).rest) : _sub_last_seg<'\\'>(p);
    }
    if (const std::optional<std::string_view> seg = last_seg_without_colon(without_trailing_sep(p))) return *seg;
    return _sub_last_non_empty_seg<'\\'>(volume_of<S>(p).rest);
  } else {
    return _sub_last_non_empty_seg<S::dir_sep_char>(p);
  }
}

// Calls f on each piece of s between separators, left to right, empty pieces
// kept; s without a separator is one piece.
template <char Sep, class F>
constexpr void for_each_seg(std::string_view s, F&& f) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t i = find_byte(s, Sep, start);
    if (i == s.npos) {
      f(s.substr(start));
      return;
    }
    f(s.substr(start, i - start));
    start = i + 1;
  }
}

// A list of segments, as views on a path or on constants: room for 64 in
// the frame, the heap only for deeper paths. The inline slots are left
// uninitialized, a view being written before it is read.
class seg_list {
 public:
  seg_list() noexcept {}  // NOLINT: the slots are written by push before any read
  seg_list(const seg_list&) = delete;
  seg_list& operator=(const seg_list&) = delete;

  void push(std::string_view s) {
    if (size_ == capacity_) grow();
    data_[size_++] = {s.data(), s.size()};
  }
  void pop() noexcept { --size_; }
  [[nodiscard]] std::size_t size() const noexcept { return size_; }
  [[nodiscard]] std::string_view back() const noexcept { return (*this)[size_ - 1]; }
  [[nodiscard]] std::string_view operator[](std::size_t i) const noexcept { return {data_[i].data, data_[i].size}; }

 private:
  struct slot {  // trivial, unlike std::string_view, so that the array costs nothing
    const char* data;
    std::size_t size;
  };
  void grow() {
    std::vector<slot> bigger(capacity_ * 2);
    std::copy(data_, data_ + size_, bigger.begin());
    heap_ = std::move(bigger);
    data_ = heap_.data();
    capacity_ = heap_.size();
  }

  slot local_[64];
  std::vector<slot> heap_;
  slot* data_ = local_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 64;
};

// The elements from `first` on, joined by Sep, after `prefix`; one allocation.
template <char Sep>
[[nodiscard]] std::string join_segs(std::string_view prefix, const seg_list& l, std::size_t first = 0) {
  std::size_t n = prefix.size() + (l.size() > first ? l.size() - first - 1 : 0);
  for (std::size_t i = first; i < l.size(); ++i) n += l[i].size();
  std::string out;
  out.reserve(n);
  out.append(prefix);
  for (std::size_t i = first; i < l.size(); ++i) {
    if (i != first) out.push_back(Sep);
    out.append(l[i]);
  }
  return out;
}

// An extension is a view into the path, from its '.' to the end of the
// segment; the edits rely on that position. An empty one has no position.

// The last '.' and what follows, when a byte other than '.' precedes it.
[[nodiscard]] inline std::string_view sub_single_ext(std::string_view seg) noexcept {
  const std::size_t dot = rfind_byte(seg, '.');
  // A byte other than '.' before the dot; usually the one right before it.
  if (dot == seg.npos || dot == 0 || (seg[dot - 1] == '.' && seg.substr(0, dot).find_first_not_of('.') == seg.npos)) {
    return {};
  }
  return seg.substr(dot);
}

// From the first '.' after the first byte other than '.'.
[[nodiscard]] inline std::string_view sub_multi_ext(std::string_view seg) noexcept {
  const std::size_t name = seg.find_first_not_of('.');
  const std::size_t dot = name == seg.npos ? seg.npos : find_byte(seg, '.', name);
  return dot == seg.npos ? std::string_view() : seg.substr(dot);
}

// The single extension of a path, sub_single_ext of its last non-empty
// segment, by the common road: the last '.', a separator or a ':' before the
// end, and when it is a '.' with a byte other than '.', a separator or a ':'
// before it (and, in a UNC path, after the volume: the share is no segment),
// the extension starts there; a separator first means none. The last
// sixteen bytes are read at once, so most paths take no branch on their
// bytes. The rest goes the plain way: dots in a row, a leading dot, a ':'
// that may end a volume, a dot in a UNC volume.
template <path_syntax S>
[[nodiscard]] std::string_view sub_single_ext_of_path(std::string_view p) noexcept {
  constexpr char sep = S::dir_sep_char;
  const std::size_t end = p.size() >= 2 && p.back() == sep ? p.size() - 1 : p.size();
  std::size_t dot = p.npos;
  bool walk = true;
#if CORSO_SIMD
  if (end >= 16) {
    const simd::bytes w = simd::bytes::load(p.data() + end - 16);
    unsigned stops = (w == sep).mask();
    if constexpr (S::is_windows) stops = stops | (w == ':').mask();
    const auto after = static_cast<unsigned>(std::bit_width(stops));  // the bytes after the last stop
    const unsigned dots = (w == '.').mask() >> after << after;
    if (dots != 0) {
      dot = end - 16 + simd::highest(dots);
      walk = false;
    } else if (stops != 0) {
      if (p[end - 17 + after] == sep) return {};
      walk = false;  // a ':'
    }
  }
#endif
  for (std::size_t i = end; walk && i-- > 0;) {
    const char c = p[i];
    if (c == sep) return {};
    if (S::is_windows && c == ':') break;
    if (c == '.') {
      dot = i;
      break;
    }
  }
  if (dot != p.npos) {
    const char before = dot == 0 ? sep : p[dot - 1];
    // A UNC volume is followed by a '\', so only a path that ends with a
    // separator can have its last non-empty segment in the volume.
    const bool after_volume =
        !S::is_windows || end == p.size() || !begins_unc(p) || dot > volume_of<S>(p).volume.size();
    if (before != '.' && before != sep && !(S::is_windows && before == ':') && after_volume) {
      return p.substr(dot, end - dot);
    }
  }
  return sub_single_ext(sub_last_non_empty_seg<S>(p));
}

}  // namespace corso::detail
