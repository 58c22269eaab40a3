// Internal, not part of the public interface: the volumes of both syntaxes.
#pragma once

#include <cstddef>
#include <string_view>

namespace corso::detail {

// A path cut in two: its volume (possibly empty) and the rest, which runs to
// the end of the path and is never empty for a valid path.
struct volume_split {
  std::string_view volume;
  std::string_view rest;
};

namespace windows_volume {

// UNC, verbatim and device paths begin with two backslashes.
[[nodiscard]] constexpr bool is_unc_path(std::string_view s) noexcept {
  return s.size() >= 2 && s[0] == '\\' && s[1] == '\\';
}

[[nodiscard]] constexpr bool has_drive(std::string_view s) noexcept { return s.find(':') != s.npos; }

// Index just past the first ':', or 0; where the part after a drive volume starts.
[[nodiscard]] constexpr std::size_t non_unc_path_start(std::string_view s) noexcept {
  const std::size_t i = s.find(':');
  return i == s.npos ? 0 : i + 1;
}

// The index just past the complete UNC volume that s, which begins with two
// separators, starts with (\\server\share, \\?\C:, \\?\UNC\server\share,
// \\?\name\name, \\.\device), or 0 when the volume is incomplete. It reads
// the caller's bytes before parsing rewrites them, so '/' counts as a
// separator and a run of separators as one.
[[nodiscard]] constexpr std::size_t parse_unc(std::string_view s) noexcept {
  const auto is_sep = [](char c) { return c == '\\' || c == '/'; };
  std::size_t i = 0;
  const auto skip_seps = [&] {
    while (i < s.size() && is_sep(s[i])) ++i;
  };
  const auto parse_seg = [&] {
    const std::size_t start = i;
    while (i < s.size() && !is_sep(s[i])) ++i;
    return s.substr(start, i - start);
  };
  skip_seps();
  const std::string_view s1 = parse_seg();
  if (s1.empty()) return 0;
  skip_seps();
  const std::string_view s2 = parse_seg();
  if (s2.empty()) return 0;
  if (s1 != "?" || s2.back() == ':') return i;
  skip_seps();
  if (parse_seg().empty()) return 0;
  if (s2 != "UNC") return i;
  skip_seps();
  return parse_seg().empty() ? 0 : i;
}

// The volume and the rest of a valid Windows path: C:\a => (C:, \a),
// \\srv\sh\a => (\\srv\sh, \a), \\?\UNC\s\h\a => (\\?\UNC\s\h, \a), a\b => ("", a\b).
[[nodiscard]] constexpr volume_split sub_split_volume(std::string_view p) noexcept {
  const auto split_before = [p](std::size_t k) {
    k = k < p.size() ? k : p.size();
    return volume_split{p.substr(0, k), p.substr(k)};
  };
  if (!is_unc_path(p)) {
    // A drive letter is the common volume: its ':' needs no search.
    const std::size_t colon = p[0] == ':' ? 0 : (p.size() > 1 && p[1] == ':' ? 1 : p.find(':', 1));
    return colon == p.npos ? volume_split{p.substr(0, 0), p} : split_before(colon + 1);
  }
  // Each search stops at the end of p, so a string without the separators of
  // a complete volume (never a valid path) is all volume.
  const auto bslash = [p](std::size_t start) {
    const std::size_t k = p.find('\\', start);
    return k == p.npos ? p.size() : k;
  };
  const std::size_t i = bslash(2);
  const std::size_t j = bslash(i + 1);
  if (i == 3 && p[2] == '?') {
    if (p[j - 1] == ':') return split_before(j);
    if (j > i && p.substr(i + 1, j - i - 1) == "UNC") return split_before(bslash(bslash(j + 1) + 1));
    return split_before(bslash(j + 1));
  }
  return split_before(j);
}

// True when p has a volume: it is UNC or holds a ':'. A path without one must
// not gain a ':', which would make everything up to it a volume.
[[nodiscard]] constexpr bool has_volume(std::string_view p) noexcept { return is_unc_path(p) || has_drive(p); }

// True when the part after the volume is exactly one separator: \, C:\, \\srv\sh\.
[[nodiscard]] constexpr bool is_root(std::string_view p) noexcept { return sub_split_volume(p).rest == "\\"; }

}  // namespace windows_volume

namespace posix_volume {

// The only POSIX volume is the first '/' of a leading "//".
[[nodiscard]] constexpr bool has_volume(std::string_view s) noexcept {
  return s.size() >= 2 && s[0] == '/' && s[1] == '/';
}

[[nodiscard]] constexpr bool is_root(std::string_view p) noexcept { return p == "/" || p == "//"; }

}  // namespace posix_volume

}  // namespace corso::detail
