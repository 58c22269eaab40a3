// Internal, not part of the public interface: byte-string services shared by
// the units of the library.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corso::detail {

// Appends s to out between double quotes, escaped so that every byte can be
// read back: \" \\ \n \t \r, \xHH (lowercase) for the other control bytes,
// 0x7F and every byte from 0x80; any other byte stands for itself.
void append_dump(std::string& out, std::string_view s);

// s rendered as by append_dump.
[[nodiscard]] std::string dump(std::string_view s);

// The message "<dump of s>: <what>", as in "\"a\\x00b\": invalid path".
[[nodiscard]] std::string message(std::string_view s, std::string_view what);

// The pieces put together, with a single allocation.
[[nodiscard]] inline std::string concat(std::initializer_list<std::string_view> pieces) {
  std::size_t n = 0;
  for (std::string_view p : pieces) n += p.size();
  std::string out;
  out.reserve(n);
  for (std::string_view p : pieces) out.append(p);
  return out;
}

// The view from the start of `first` to the end of `last`; both lie in one buffer.
[[nodiscard]] inline std::string_view span(std::string_view first, std::string_view last) noexcept {
  return {first.data(), static_cast<std::size_t>(last.data() + last.size() - first.data())};
}

// The index of the last c in s, or npos: s.rfind(c), sixteen bytes a step
// from the end where the machine has SSE2. The last segments of paths are
// short, but their searches run on every call.
[[nodiscard]] inline std::size_t rfind_byte(std::string_view s, char c) noexcept {
  std::size_t end = s.size();
#if defined(__SSE2__)
  const __m128i needle = _mm_set1_epi8(c);
  const auto last_in = [&](std::size_t at) -> int {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + at));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(block, needle));
  };
  for (; end >= 16; end -= 16) {
    if (const int bits = last_in(end - 16); bits != 0) return end - 16 + static_cast<std::size_t>(31 - __builtin_clz(static_cast<unsigned>(bits)));
  }
  if (end > 0 && s.size() >= 16) {
    // The first bytes, in a block that overlaps the ones seen: keep bits below end.
    const int bits = last_in(0) & ((1 << end) - 1);
    return bits == 0 ? s.npos : static_cast<std::size_t>(31 - __builtin_clz(static_cast<unsigned>(bits)));
  }
#endif
  while (end > 0) {
    if (s[--end] == c) return end;
  }
  return s.npos;
}

}  // namespace corso::detail
