// Internal, not part of the public interface: the one pass that tells a
// parser what a string needs, sixteen bytes at a time where the machine
// has SSE2 (every x86-64), a byte at a time elsewhere.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// The test on the sixteen bytes at `at` and the byte after each: a NUL among
// them (or, with `last`, among the sixteen from at + 1 too), a separator
// followed by one (but at index 0 of the string, when `first`), a '/' under
// Windows.
template <bool Windows>
inline void scan_block(const char* at, bool first, bool last, scan_result& r) noexcept {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
  const __m128i sep = _mm_set1_epi8(Windows ? '\\' : '/');
  const __m128i slash = _mm_set1_epi8('/');
  __m128i sa = _mm_cmpeq_epi8(a, sep);
  __m128i sb = _mm_cmpeq_epi8(b, sep);
  __m128i slashes = _mm_setzero_si128();
  if constexpr (Windows) {
    slashes = _mm_cmpeq_epi8(a, slash);
    sa = _mm_or_si128(sa, slashes);
    sb = _mm_or_si128(sb, _mm_cmpeq_epi8(b, slash));
    if (last) slashes = _mm_or_si128(slashes, _mm_cmpeq_epi8(b, slash));
  }
  __m128i nul = _mm_cmpeq_epi8(a, _mm_setzero_si128());
  if (last) nul = _mm_or_si128(nul, _mm_cmpeq_epi8(b, _mm_setzero_si128()));
  const __m128i pairs = _mm_and_si128(sa, sb);
  // One test for the common case of a block with nothing to report.
  if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(nul, pairs), slashes)) == 0) return;
  r.has_nul = r.has_nul || _mm_movemask_epi8(nul) != 0;
  r.has_run = r.has_run || (_mm_movemask_epi8(pairs) & (first ? ~1 : ~0)) != 0;
  r.has_slash = r.has_slash || _mm_movemask_epi8(slashes) != 0;
}
#endif

#if defined(__SSE2__)
// True when the block at `at` holds a NUL, a separator followed by one, or
// under Windows a '/': the quick test of a step, before scan_block sorts it out.
template <bool Windows>
inline bool any_flag(const char* at) noexcept {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
  const __m128i sep = _mm_set1_epi8(Windows ? '\\' : '/');
  __m128i flags = _mm_cmpeq_epi8(a, _mm_setzero_si128());
  if constexpr (Windows) {
    const __m128i slash = _mm_set1_epi8('/');
    flags = _mm_or_si128(flags, _mm_or_si128(_mm_cmpeq_epi8(a, slash), _mm_cmpeq_epi8(b, slash)));
  }
  flags = _mm_or_si128(flags, _mm_and_si128(_mm_cmpeq_epi8(a, sep), _mm_cmpeq_epi8(b, sep)));
  return _mm_movemask_epi8(flags) != 0;
}
#endif

// scan_bytes, sixteen bytes a step: whole blocks, then one last block that
// ends at the end of the string (it may overlap the one before, which only
// tests bytes twice), or a padded copy of a string shorter than a block.
template <bool Windows>
[[nodiscard]] inline scan_result scan(std::string_view s) noexcept {
#if defined(__SSE2__)
  const char* p = s.data();
  const std::size_t n = s.size();
  scan_result r;
  if (n < 17) {
    // 'a' is neither NUL nor a separator: the padding adds nothing to report.
    char padded[32];
    std::memset(padded, 'a', sizeof padded);
    std::memcpy(padded, p, n);
    scan_block<Windows>(padded, true, false, r);
    return r;
  }
  std::size_t i = 0;
  scan_block<Windows>(p, true, false, r);
  for (i = 16; i + 33 <= n && !r.has_nul; i += 32) {
    if (!any_flag<Windows>(p + i) && !any_flag<Windows>(p + i + 16)) continue;
    scan_block<Windows>(p + i, false, false, r);
    scan_block<Windows>(p + i + 16, false, false, r);
  }
  for (; i + 17 <= n && !r.has_nul; i += 16) scan_block<Windows>(p + i, false, false, r);
  if (i < n && !r.has_nul) scan_block<Windows>(p + n - 17, n == 17, true, r);
  return r;
#else
  return scan_bytes<Windows>(s);
#endif
}

// Every '/' of the n bytes at p turned into '\', sixteen at a time; the
// last block may overlap the one before, which rewrites nothing twice.
inline void slashes_to_backslashes(char* p, std::size_t n) noexcept {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i slash = _mm_set1_epi8('/');
  const __m128i backslash = _mm_set1_epi8('\\');
  const auto block = [&](char* at) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i is_slash = _mm_cmpeq_epi8(a, slash);
    if (_mm_movemask_epi8(is_slash) == 0) return;
    // a ^ ('/' ^ '\\') is '\\' where a is '/'.
    const __m128i flipped = _mm_xor_si128(a, _mm_and_si128(is_slash, _mm_xor_si128(slash, backslash)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), flipped);
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
