// What the fuzz targets hold every result to. A failed check aborts with a
// message, which libFuzzer reports as a finding together with its input.
#pragma once

#include <corso/corso.hpp>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "volume.hpp"

namespace corso::fuzz {

[[noreturn]] inline void fail(const char* what, std::string_view detail) {
  std::fprintf(stderr, "check failed: %s: %s\n", what, std::string(detail).c_str());
  std::abort();
}

inline void require(bool ok, const char* what, std::string_view detail = {}) {
  if (!ok) fail(what, detail);
}

// The length of the volume of a Windows path of valid form, read on its own
// terms rather than with the library's grammar: the first ':' ends a drive;
// \\ starts a server and a share, \\?\ a drive ending with ':', or UNC with
// a server and a share, or two names; \\.\ a device, or UNC (any case) with a
// server and a share. Nothing when a UNC volume lacks a part.
inline std::optional<std::size_t> windows_volume_length(std::string_view p) {
  if (!p.starts_with("\\\\")) {
    const std::size_t colon = p.find(':');
    return colon == p.npos ? 0 : colon + 1;
  }
  std::vector<std::string_view> parts;
  for (std::size_t start = 2;;) {
    const std::size_t end = p.find('\\', start);
    parts.push_back(p.substr(start, end == p.npos ? p.npos : end - start));
    if (end == p.npos) break;
    start = end + 1;
  }
  std::size_t count = 2;
  if (parts.size() >= 2 && parts[0] == "?" && !parts[1].ends_with(':')) count = parts[1] == "UNC" ? 4 : 3;
  if (parts.size() >= 2 && parts[0] == "." && parts[1].size() == 3) {
    std::string name(parts[1]);
    for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (name == "UNC") count = 4;
  }
  if (parts.size() < count) return std::nullopt;
  std::size_t length = 2 + count - 1;
  for (std::size_t i = 0; i < count; ++i) {
    if (parts[i].empty()) return std::nullopt;
    length += parts[i].size();
  }
  return length;
}

// The invariants of a path of syntax S, checked on its bytes alone.
template <path_syntax S>
void require_path_invariants(std::string_view p) {
  require(!p.empty(), "a path is never empty");
  require(p.find('\0') == p.npos, "a path holds no NUL", p);
  const char sep = S::dir_sep_char;
  const std::size_t from = p.size() >= 2 && p[0] == sep && p[1] == sep ? 2 : 0;
  for (std::size_t i = from; i + 1 < p.size(); ++i) {
    require(!(p[i] == sep && p[i + 1] == sep), "separators never repeat but a leading pair", p);
  }
  if (from == 2) require(p.size() == 2 || p[2] != sep, "a leading pair is two separators, not three", p);
  std::size_t volume = from == 2 ? 1 : 0;  // POSIX: the first '/' of a leading "//"
  if constexpr (S::is_windows) {
    require(p.find('/') == p.npos, "a Windows path holds no '/'", p);
    const std::optional<std::size_t> length = windows_volume_length(p);
    require(length.has_value(), "a UNC path starts with a complete volume", p);
    volume = *length;
    if (from == 2) {
      require(volume < p.size() && p[volume] == '\\', "a UNC volume is followed by a separator", p);
    } else {
      require(volume == 0 || volume < p.size(), "a byte follows the first ':'", p);
    }
  }
  require(detail::volume_of<S>(p).volume.size() == volume, "the library finds the volume where it is", p);
}

// p is a path of syntax S: its bytes parse to themselves and keep the invariants.
template <path_syntax S>
void require_valid(const basic_path<S>& p) {
  const auto again = basic_path<S>::of_string(p.view());
  require(again.has_value() && again->view() == p.view(), "a result parses to itself", p.view());
  require_path_invariants<S>(p.view());
}

}  // namespace corso::fuzz
