// What the fuzz targets hold every result to. A failed check aborts with a
// message, which libFuzzer reports as a finding together with its input.
#pragma once

#include <corso/corso.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "volume.hpp"

namespace corso::fuzz {

[[noreturn]] inline void fail(const char* what, std::string_view detail) {
  std::fprintf(stderr, "check failed: %s: %s\n", what, std::string(detail).c_str());
  std::abort();
}

inline void require(bool ok, const char* what, std::string_view detail = {}) {
  if (!ok) fail(what, detail);
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
  if constexpr (S::is_windows) {
    require(p.find('/') == p.npos, "a Windows path holds no '/'", p);
    if (detail::windows_volume::is_unc_path(p)) {
      require(detail::windows_volume::parse_unc(p) != 0, "a UNC path starts with a complete volume", p);
      const auto split = detail::windows_volume::sub_split_volume(p);
      require(!split.rest.empty() && split.rest[0] == '\\', "a UNC volume is followed by a separator", p);
    } else {
      const std::size_t colon = p.find(':');
      require(colon == p.npos || colon + 1 < p.size(), "a byte follows the first ':'", p);
    }
  }
}

// p is a path of syntax S: its bytes parse to themselves and keep the invariants.
template <path_syntax S>
void require_valid(const basic_path<S>& p) {
  const auto again = basic_path<S>::of_string(p.view());
  require(again.has_value() && again->view() == p.view(), "a result parses to itself", p.view());
  require_path_invariants<S>(p.view());
}

}  // namespace corso::fuzz
