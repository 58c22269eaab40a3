// Internal, not part of the public interface: byte-string services shared by
// the units of the library.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "simd.hpp"

namespace corso::detail {

// Appends s to out between double quotes, escaped so that every byte can be
// read back: \" \\ \n \t \r, \xHH (lowercase) for the other control bytes,
// 0x7F and every byte from 0x80; any other byte stands for itself.
inline void append_dump(std::string& out, std::string_view s) {
  static constexpr char hex[] = "0123456789abcdef";
  out.push_back('"');
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out.append("\\\"");
        break;
      case '\\':
        out.append("\\\\");
        break;
      case '\n':
        out.append("\\n");
        break;
      case '\t':
        out.append("\\t");
        break;
      case '\r':
        out.append("\\r");
        break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          out.append("\\x");
          out.push_back(hex[c >> 4]);
          out.push_back(hex[c & 0xF]);
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
}

// s rendered as by append_dump.
[[nodiscard]] inline std::string dump(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  append_dump(out, s);
  return out;
}

constexpr char ascii_lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool is_ascii_letter(char c) noexcept { return ascii_lower(c) >= 'a' && ascii_lower(c) <= 'z'; }

// a equals lower, a lower-case name, ignoring ASCII case: Windows and URIs
// compare device names, UNC in a device path, and localhost so.
constexpr bool equal_ignoring_ascii_case(std::string_view a, std::string_view lower) noexcept {
  return a.size() == lower.size() &&
         std::equal(a.begin(), a.end(), lower.begin(), [](char x, char y) { return ascii_lower(x) == y; });
}

// The message "<dump of s>: <what>", as in "\"a\\x00b\": invalid path".
[[nodiscard]] inline std::string message(std::string_view s, std::string_view what) {
  std::string out;
  out.reserve(s.size() + what.size() + 4);
  append_dump(out, s);
  out.append(": ");
  out.append(what);
  return out;
}

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

// The index of the last a or b in s, or npos, sixteen bytes a step from the
// end where the machine has vector instructions. The last segments of paths
// are short, but their searches run on every call.
[[nodiscard]] inline std::size_t rfind_either(std::string_view s, char a, char b) noexcept {
  std::size_t end = s.size();
#if CORSO_SIMD
  const auto last_in = [&](std::size_t at) {
    const simd::bytes block = simd::bytes::load(s.data() + at);
    return ((block == a) | (block == b)).mask();
  };
  for (; end >= 16; end -= 16) {
    if (const unsigned bits = last_in(end - 16); bits != 0) return end - 16 + simd::highest(bits);
  }
  if (end > 0 && s.size() >= 16) {
    // The first bytes, in a block that overlaps the ones seen: keep bits below end.
    const unsigned bits = last_in(0) & ((1u << end) - 1);
    return bits == 0 ? s.npos : simd::highest(bits);
  }
#endif
  while (end > 0) {
    --end;
    if (s[end] == a || s[end] == b) return end;
  }
  return s.npos;
}

// The index of the first a or b in s at or after start, or npos, inline:
// most spans searched are short, where a call to the C library's search
// costs more than the search.
[[nodiscard]] inline std::size_t find_either(std::string_view s, char a, char b, std::size_t start = 0) noexcept {
  std::size_t i = start;
#if CORSO_SIMD
  const auto found_in = [&](std::size_t at) {
    const simd::bytes block = simd::bytes::load(s.data() + at);
    return ((block == a) | (block == b)).mask();
  };
  for (; i + 16 <= s.size(); i += 16) {
    if (const unsigned bits = found_in(i); bits != 0) return i + simd::lowest(bits);
  }
  if (i < s.size() && s.size() >= 16) {
    // The last bytes, in a block that overlaps the ones seen: keep bits from i on.
    const std::size_t at = s.size() - 16;
    const unsigned bits = found_in(at) >> (i - at);
    return bits == 0 ? s.npos : i + simd::lowest(bits);
  }
#endif
  for (; i < s.size(); ++i) {
    if (s[i] == a || s[i] == b) return i;
  }
  return s.npos;
}

// The index of the first c in s at or after start, or npos: s.find(c, start).
[[nodiscard]] inline std::size_t find_byte(std::string_view s, char c, std::size_t start = 0) noexcept {
  return find_either(s, c, c, start);
}

// The index of the last c in s, or npos: s.rfind(c).
[[nodiscard]] inline std::size_t rfind_byte(std::string_view s, char c) noexcept { return rfind_either(s, c, c); }

}  // namespace corso::detail
