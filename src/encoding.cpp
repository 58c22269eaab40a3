// Conversions between UTF-8 bytes and UTF-16, for the hosts whose
// std::filesystem::path holds UTF-16 (Windows). They never throw on bad
// input: a path that cannot be converted is an error that names its bytes.
#include <string>
#include <string_view>

#include "corso/detail/encoding.hpp"
#include "strings.hpp"
#include "utf8.hpp"

namespace corso::detail {

result<std::u16string> utf8_to_utf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const utf8_char c = decode_utf8(s.substr(i));
    if (c.size == 0) return error(message(s, "not valid UTF-8"));
    if (c.code < 0x10000) {
      out.push_back(static_cast<char16_t>(c.code));
    } else {
      const char32_t v = c.code - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    }
    i += c.size;
  }
  return out;
}

namespace {
void append_utf8(std::string& out, char32_t c) {
  const auto put = [&](char32_t v) { out.push_back(static_cast<char>(v)); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6)), put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | (c >> 12)), put(0x80 | ((c >> 6) & 0x3F)), put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | (c >> 18)), put(0x80 | ((c >> 12) & 0x3F)), put(0x80 | ((c >> 6) & 0x3F)), put(0x80 | (c & 0x3F));
  }
}
}  // namespace

result<std::string> utf16_to_utf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  bool lone = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char32_t u = s[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (s[++i] - 0xDC00));
    } else {
      // A surrogate without its pair (a name Windows allows) is written as
      // its three bytes, so the message shows where it stands.
      lone = lone || (u >= 0xD800 && u <= 0xDFFF);
      append_utf8(out, u);
    }
  }
  if (lone) return error(message(out, "holds a UTF-16 surrogate without its pair, so it has no UTF-8 form"));
  return out;
}

}  // namespace corso::detail
