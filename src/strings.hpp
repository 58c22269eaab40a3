// Internal, not part of the public interface: byte-string services shared by
// the units of the library.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

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

}  // namespace corso::detail
