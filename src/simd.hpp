// Internal, not part of the public interface: the one door to vector
// instructions. Sixteen bytes at a time where the machine has SSE2 (every
// x86-64); elsewhere every caller keeps a road that reads a byte at a time,
// which the s390x job tests.
#pragma once

#include <bit>

// CORSO_SIMD is 1 where simd::bytes exists; callers guard their vector
// roads with it.
#if defined(__SSE2__)
#include <emmintrin.h>
#define CORSO_SIMD 1
#else
#define CORSO_SIMD 0
#endif

namespace corso::detail::simd {

#if CORSO_SIMD

// Sixteen bytes; a comparison gives 0xFF where it holds and 0 elsewhere, and
// mask() gathers one bit a byte, bit i for byte i.
struct bytes {
  __m128i v;

  [[nodiscard]] static bytes load(const char* p) noexcept {
    return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))};
  }
  void store(char* p) const noexcept { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
  [[nodiscard]] static bytes none() noexcept { return {_mm_setzero_si128()}; }
  [[nodiscard]] friend bytes operator==(bytes a, char c) noexcept { return {_mm_cmpeq_epi8(a.v, _mm_set1_epi8(c))}; }
  [[nodiscard]] friend bytes operator&(bytes a, bytes b) noexcept { return {_mm_and_si128(a.v, b.v)}; }
  [[nodiscard]] friend bytes operator|(bytes a, bytes b) noexcept { return {_mm_or_si128(a.v, b.v)}; }
  // Where `where` holds, c swapped for d (c ^ d ^ c is d); elsewhere the bytes as they are.
  [[nodiscard]] bytes swap_where(bytes where, char c, char d) const noexcept {
    return {_mm_xor_si128(v, _mm_and_si128(where.v, _mm_set1_epi8(static_cast<char>(c ^ d))))};
  }
  // 0xFF where the byte, unsigned, is at most c.
  [[nodiscard]] bytes at_most(unsigned char c) const noexcept {
    return {_mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(static_cast<char>(c))), v)};
  }
  [[nodiscard]] unsigned mask() const noexcept { return static_cast<unsigned>(_mm_movemask_epi8(v)); }
};
#endif

// The index of the lowest and of the highest set bit of a non-zero mask.
[[nodiscard]] constexpr unsigned lowest(unsigned mask) noexcept {
  return static_cast<unsigned>(std::countr_zero(mask));
}
[[nodiscard]] constexpr unsigned highest(unsigned mask) noexcept {
  return static_cast<unsigned>(std::bit_width(mask)) - 1;
}

}  // namespace corso::detail::simd
