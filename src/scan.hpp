// Internal, not part of the public interface: the one pass that tells a
// parser what a string needs, sixteen bytes at a time where the machine has
// vector instructions (simd.hpp), a byte at a time elsewhere.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "simd.hpp"

namespace corso::detail {

struct scan_result {
  bool has_nul = false;    // not a path
  bool has_run = false;    // a separator run to collapse
  bool has_slash = false;  // under Windows, a '/' to turn into '\'
};

// Under POSIX a run of '/' needs collapsing when it starts at index 1 or
// later (a leading pair is a volume); under Windows the same holds of runs of
// '/' and '\' together, and every '/' needs rewriting. The plain form of the
// test, a byte at a time.
template <bool Windows>
[[nodiscard]] inline scan_result scan_bytes(std::string_view s) noexcept {
  const auto is_sep = [](char c) { return c == (Windows ? '\\' : '/') || (Windows && c == '/'); };
  scan_result r;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\0') {
      r.has_nul = true;
      return r;
    }
    if (Windows && c == '/') r.has_slash = true;
    if (i >= 1 && i + 1 < s.size() && is_sep(c) && is_sep(s[i + 1])) r.has_run = true;
  }
  return r;
}

#if CORSO_SIMD
// What a block reports, as bits, so that a scan keeps them in a register.
enum scan_flag : unsigned { found_nul = 1, found_run = 2, found_slash = 4 };

// The test on the sixteen bytes at `at` and the byte after each: a NUL among
// them (or, with `last`, among the sixteen from at + 1 too), a separator
// followed by one (but at index 0 of the string, when `first`), a '/' under
// Windows.
template <bool Windows>
inline unsigned scan_block(const char* at, bool first, bool last) noexcept {
  using simd::bytes;
  constexpr char sep = Windows ? '\\' : '/';
  const bytes a = bytes::load(at);
  const bytes b = bytes::load(at + 1);
  bytes sa = a == sep;
  bytes sb = b == sep;
  bytes slashes = bytes::none();
  if constexpr (Windows) {
    slashes = a == '/';
    sa = sa | slashes;
    sb = sb | (b == '/');
    if (last) slashes = slashes | (b == '/');
  }
  bytes nul = a == '\0';
  if (last) nul = nul | (b == '\0');
  const bytes pairs = sa & sb;
  // No branch on the bytes: a path with a '/' or a run among paths without
  // would cost a misprediction, and that waits for its bytes to arrive.
  return (nul.mask() != 0 ? found_nul : 0u) | ((pairs.mask() & (first ? ~1u : ~0u)) != 0 ? found_run : 0u) |
         (slashes.mask() != 0 ? found_slash : 0u);
}

// True when the block at `at` holds a NUL, a separator followed by one, or
// under Windows a '/': the quick test of a step, before scan_block sorts it out.
template <bool Windows>
inline bool any_flag(const char* at) noexcept {
  using simd::bytes;
  constexpr char sep = Windows ? '\\' : '/';
  const bytes a = bytes::load(at);
  const bytes b = bytes::load(at + 1);
  bytes flags = (a == '\0') | ((a == sep) & (b == sep));
  if constexpr (Windows) flags = flags | (a == '/') | (b == '/');
  return flags.mask() != 0;
}
#endif

// scan_bytes, sixteen bytes a step: whole blocks, then one last block that
// ends at the end of the string (it may overlap the one before, which only
// tests bytes twice), or a padded copy of a string shorter than a block.
template <bool Windows>
[[nodiscard]] inline scan_result scan(std::string_view s) noexcept {
#if CORSO_SIMD
  const char* p = s.data();
  const std::size_t n = s.size();
  unsigned flags = 0;
  if (n < 17) {
    // 'a' is neither NUL nor a separator: the padding adds nothing to report.
    char padded[32];
    std::memset(padded, 'a', sizeof padded);
    std::memcpy(padded, p, n);
    flags = scan_block<Windows>(padded, true, false);
  } else {
    flags = scan_block<Windows>(p, true, false);
    std::size_t i = 16;
    for (; i + 33 <= n && (flags & found_nul) == 0; i += 32) {
      if (!any_flag<Windows>(p + i) && !any_flag<Windows>(p + i + 16)) continue;
      flags |= scan_block<Windows>(p + i, false, false) | scan_block<Windows>(p + i + 16, false, false);
    }
    for (; i + 17 <= n && (flags & found_nul) == 0; i += 16) flags |= scan_block<Windows>(p + i, false, false);
    if (i < n && (flags & found_nul) == 0) flags |= scan_block<Windows>(p + n - 17, n == 17, true);
  }
  return {(flags & found_nul) != 0, (flags & found_run) != 0, (flags & found_slash) != 0};
#else
  return scan_bytes<Windows>(s);
#endif
}

// Every '/' of the n bytes at p turned into '\', sixteen at a time; the
// last block may overlap the one before, which rewrites nothing twice.
inline void slashes_to_backslashes(char* p, std::size_t n) noexcept {
  std::size_t i = 0;
#if CORSO_SIMD
  const auto block = [](char* at) {
    const simd::bytes a = simd::bytes::load(at);
    const simd::bytes is_slash = a == '/';
    if (is_slash.mask() == 0) return;
    a.swap_where(is_slash, '/', '\\').store(at);
  };
  if (n >= 16) {
    for (; i + 16 <= n; i += 16) block(p + i);
    if (i < n) block(p + n - 16);
    return;
  }
#endif
  for (; i < n; ++i) {
    if (p[i] == '/') p[i] = '\\';
  }
}

}  // namespace corso::detail
