// Internal, not part of the public interface: strict UTF-8, as Unicode
// defines it (no overlong forms, no surrogates, nothing above U+10FFFF).
#pragma once

#include <cstddef>
#include <string_view>

namespace corso::detail {

// The length of the well-formed UTF-8 sequence at the start of s and its code
// point, or {0, 0} when s does not start with one (s empty included).
struct utf8_char {
  std::size_t size;
  char32_t code;
};

[[nodiscard]] constexpr utf8_char decode_utf8(std::string_view s) noexcept {
  if (s.empty()) return {0, 0};
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char b0 = b(0);
  if (b0 < 0x80) return {1, b0};
  // The second byte's range is narrower after E0, ED, F0 and F4: that is
  // where overlong forms, surrogates and values past U+10FFFF are refused.
  std::size_t n = 0;
  unsigned char lo = 0x80, hi = 0xBF;
  char32_t code = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2, code = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3, code = b0 & 0x0Fu;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4, code = b0 & 0x07u;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return {0, 0};
  }
  if (s.size() < n || b(1) < lo || b(1) > hi) return {0, 0};
  code = (code << 6) | (b(1) & 0x3Fu);
  for (std::size_t i = 2; i < n; ++i) {
    if (b(i) < 0x80 || b(i) > 0xBF) return {0, 0};
    code = (code << 6) | (b(i) & 0x3Fu);
  }
  return {n, code};
}

}  // namespace corso::detail
