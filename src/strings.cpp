#include "strings.hpp"

namespace corso::detail {

void append_dump(std::string& out, std::string_view s) {
  static constexpr char hex[] = "0123456789abcdef";
  out.push_back('"');
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out.append("\\\""); break;
      case '\\': out.append("\\\\"); break;
      case '\n': out.append("\\n"); break;
      case '\t': out.append("\\t"); break;
      case '\r': out.append("\\r"); break;
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

std::string dump(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  append_dump(out, s);
  return out;
}

std::string message(std::string_view s, std::string_view what) {
  std::string out;
  out.reserve(s.size() + what.size() + 4);
  append_dump(out, s);
  out.append(": ");
  out.append(what);
  return out;
}

}  // namespace corso::detail
