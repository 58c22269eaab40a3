// Internal, not part of the public interface: matching one segment of a
// pattern against one segment of a path, byte by byte. A segment pattern is
// a run of tokens: '*', '?', a set [...] and single bytes.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "strings.hpp"
#include "utf8.hpp"

namespace corso::detail {

// The set of offsets 0..n that a match can stand at, or of pattern
// segments that it can stand before. Patterns and segments are short: up
// to 512 members live inline, and only longer ones allocate.
class offset_set {
 public:
  explicit offset_set(std::size_t n) : words_((n >> 6) + 1) {
    if (words_ > inline_.size()) {
      heap_.assign(words_, 0);
      data_ = heap_.data();
    } else {
      data_ = inline_.data();
      std::fill_n(data_, words_, 0);
    }
  }
  offset_set(const offset_set&) = delete;
  offset_set& operator=(const offset_set&) = delete;

  void insert(std::size_t i) noexcept { data_[i >> 6] |= std::uint64_t{1} << (i & 63); }
  [[nodiscard]] bool contains(std::size_t i) const noexcept { return (data_[i >> 6] >> (i & 63)) & 1; }
  void clear() noexcept { std::fill_n(data_, words_, 0); }
  [[nodiscard]] bool empty() const noexcept {
    return std::all_of(data_, data_ + words_, [](auto w) { return w == 0; });
  }
  // Every offset from the least member to n: what a '*' reaches.
  void fill_from_least(std::size_t n) noexcept {
    std::size_t w = 0;
    while (w < words_ && data_[w] == 0) ++w;
    if (w == words_) return;
    data_[w] |= ~std::uint64_t{0} << std::countr_zero(data_[w]);
    std::fill(data_ + w + 1, data_ + words_, ~std::uint64_t{0});
    data_[words_ - 1] &= ~std::uint64_t{0} >> (63 - (n & 63));  // nothing past n
  }
  template <class F>
  void for_each(F&& f) const {
    for (std::size_t w = 0; w < words_; ++w) {
      for (std::uint64_t bits = data_[w]; bits != 0; bits &= bits - 1) f((w << 6) + std::countr_zero(bits));
    }
  }
  void swap(offset_set& other) noexcept {
    // Only the contents move: each set keeps its own storage.
    for (std::size_t w = 0; w < words_; ++w) std::swap(data_[w], other.data_[w]);
  }

 private:
  std::size_t words_;
  std::array<std::uint64_t, 8> inline_;
  std::vector<std::uint64_t> heap_;
  std::uint64_t* data_;
};

// The size of the character at s[at]: a well-formed UTF-8 sequence, or else one byte.
inline std::size_t pattern_char_size(std::string_view s, std::size_t at) noexcept {
  return std::max<std::size_t>(1, decode_utf8(s.substr(at)).size);
}

// The offset after the ']' that closes the set opened at seg[open], or npos.
inline std::size_t pattern_set_end(std::string_view seg, std::size_t open) noexcept {
  std::size_t i = open + 1;
  if (i < seg.size() && (seg[i] == '!' || seg[i] == '^')) ++i;
  if (i < seg.size() && seg[i] == ']') ++i;  // a member, not the end
  // ']' is never inside a multi-byte character, so bytes will do.
  i = seg.find(']', i);
  return i == seg.npos ? i : i + 1;
}

// True when the character c is in the set, its text from '[' to ']'.
inline bool pattern_set_contains(std::string_view set, std::string_view c, bool ignore_ascii_case) noexcept {
  std::size_t i = 1;
  const bool negated = set[i] == '!' || set[i] == '^';
  if (negated) ++i;
  const std::size_t close = set.size() - 1;
  // The other-case letter when c is an ASCII letter and case is ignored.
  std::string_view other;
  char swapped = 0;
  if (ignore_ascii_case && c.size() == 1 && is_ascii_letter(c[0])) {
    swapped = static_cast<char>(c[0] ^ 0x20);
    other = std::string_view(&swapped, 1);
  }
  bool found = false;
  for (bool first = true; i < close && !found; first = false) {
    const std::size_t n1 = first && set[i] == ']' ? 1 : pattern_char_size(set.substr(0, close), i);
    const std::string_view lo = set.substr(i, n1);
    i += n1;
    std::string_view hi = lo;
    if (i + 1 < close && set[i] == '-') {
      hi = set.substr(i + 1, pattern_char_size(set.substr(0, close), i + 1));
      i += 1 + hi.size();
    }
    found = (lo <= c && c <= hi) || (!other.empty() && lo <= other && other <= hi);
  }
  return found != negated;
}

// The offset after the token at seg[at].
inline std::size_t pattern_token_end(std::string_view seg, std::size_t at) noexcept {
  if (seg[at] == '[') {
    if (const std::size_t end = pattern_set_end(seg, at); end != seg.npos) return end;
  }
  return at + 1;
}

// The number of bytes of s at j that the token seg[at, token_end) matches,
// 0 when it does not; never for '*'.
inline std::size_t pattern_token_match(std::string_view seg, std::size_t at, std::size_t token_end, std::string_view s,
                                       std::size_t j, bool ignore_ascii_case) noexcept {
  if (j >= s.size()) return 0;
  const char t = seg[at];
  if (t == '?' || t == '[') {
    const std::size_t n = pattern_char_size(s, j);
    if (t == '?') return n;
    return pattern_set_contains(seg.substr(at, token_end - at), s.substr(j, n), ignore_ascii_case) ? n : 0;
  }
  const bool same = ignore_ascii_case ? ascii_lower(t) == ascii_lower(s[j]) : t == s[j];
  return same ? 1 : 0;
}

// True when the segment pattern matches s, in one walk that retries only
// the last '*'. Exact when every token after a '*' matches a fixed number of
// bytes: with no '*', or with no '?' and no set (a character may be one to
// four bytes, and an earlier start may then end later).
inline bool walk_segment(std::string_view seg, std::string_view s, bool ignore_ascii_case) noexcept {
  std::size_t p = 0;
  std::size_t j = 0;
  std::size_t star_p = seg.npos;
  std::size_t star_j = 0;
  while (j < s.size()) {
    if (p < seg.size() && seg[p] == '*') {
      while (p < seg.size() && seg[p] == '*') ++p;
      star_p = p;
      star_j = j;
      continue;
    }
    if (p < seg.size()) {
      const std::size_t end = pattern_token_end(seg, p);
      if (const std::size_t n = pattern_token_match(seg, p, end, s, j, ignore_ascii_case); n != 0) {
        p = end;
        j += n;
        continue;
      }
    }
    // The last '*' takes one more byte; the earlier ones never need to,
    // since every token after it matches a fixed number of bytes.
    if (star_p == seg.npos) return false;
    p = star_p;
    j = ++star_j;
  }
  while (p < seg.size() && seg[p] == '*') ++p;
  return p == seg.size();
}

// True when the segment pattern matches s: the offsets that each token can
// end at, from the first token to the last; O(tokens x bytes), for any pattern.
inline bool match_segment_offsets(std::string_view seg, std::string_view s, bool ignore_ascii_case) {
  offset_set at(s.size());
  offset_set next(s.size());
  at.insert(0);
  for (std::size_t p = 0; p < seg.size();) {
    if (seg[p] == '*') {
      at.fill_from_least(s.size());
      ++p;
      continue;
    }
    const std::size_t end = pattern_token_end(seg, p);
    next.clear();
    at.for_each([&](std::size_t j) {
      if (const std::size_t n = pattern_token_match(seg, p, end, s, j, ignore_ascii_case); n != 0) next.insert(j + n);
    });
    if (next.empty()) return false;
    at.swap(next);
    p = end;
  }
  return at.contains(s.size());
}

}  // namespace corso::detail
