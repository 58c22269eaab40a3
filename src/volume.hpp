// Internal, not part of the public interface: the volumes of both syntaxes.
//
// Windows has one grammar of volumes, read on two kinds of text: the
// caller's bytes before parsing (where '/' separates too and a run of
// separators counts as one) and valid paths (one '\' between segments).
// POSIX has one volume, the first '/' of a leading "//". Operations ask
// volume_of<S> for the volume and the rest of a path, whatever the syntax.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "corso/syntax.hpp"
#include "corso/untrusted.hpp"
#include "strings.hpp"

namespace corso::detail {

// A path cut in two: its volume (possibly empty) and the rest, which runs to
// the end of the path and is never empty for a valid path.
struct volume_split {
  std::string_view volume;
  std::string_view rest;
};

// The kinds are public (corso/untrusted.hpp). For a text that begins with
// two separators but lacks a segment of its volume, the grammar says none.
using corso::windows_volume_kind;

// A Windows volume at the start of a text: its kind and its length in bytes.
struct windows_volume {
  windows_volume_kind kind;
  std::size_t size;
};

// The texts the grammar reads.
enum class volume_text {
  caller_bytes,  // before parsing: '/' and '\' separate, runs after the leading pair count as one
  valid_path,    // a valid path: '\' alone separates, never twice in a row
};

// UNC, verbatim and device paths begin with two separators.
template <volume_text T = volume_text::valid_path>
[[nodiscard]] constexpr bool begins_unc(std::string_view s) noexcept {
  const auto is_sep = [](char c) { return c == '\\' || (T == volume_text::caller_bytes && c == '/'); };
  return s.size() >= 2 && is_sep(s[0]) && is_sep(s[1]);
}

// The volume that s begins with. Of two leading separators follow segments:
// \\server\share, \\.\device, \\.\UNC\server\share, \\?\C:, \\?\UNC\server\share,
// \\?\name\name;
// a text that begins with two separators but lacks a segment of its volume
// has kind none, and so has one that begins with three: its first segment is
// empty, even in the caller's bytes, so that ///srv/sh is not \\srv\sh.
// Otherwise the volume runs to the first ':', if any.
template <volume_text T>
[[nodiscard]] constexpr windows_volume windows_volume_of(std::string_view s) noexcept {
  using enum windows_volume_kind;
  constexpr bool caller = T == volume_text::caller_bytes;
  if (!begins_unc<T>(s)) {
    // A drive letter is the common volume: its ':' needs no search.
    const std::size_t colon =
        s.empty() ? s.npos : (s[0] == ':' ? 0 : (s.size() > 1 && s[1] == ':' ? 1 : find_byte(s, ':', 1)));
    return colon == s.npos ? windows_volume{none, 0} : windows_volume{drive, colon + 1};
  }
  const auto is_sep = [](char c) { return c == '\\' || (caller && c == '/'); };
  // The start of the segment after the separators at i, and the end of the
  // segment that starts at i. A valid path has exactly one separator there.
  const auto next_seg = [&](std::size_t i) {
    if constexpr (caller) {
      while (i < s.size() && is_sep(s[i])) ++i;
      return i;
    } else {
      return i < s.size() ? i + 1 : i;
    }
  };
  const auto seg_end = [&](std::size_t i) {
    if constexpr (caller) {
      while (i < s.size() && !is_sep(s[i])) ++i;
      return i;
    } else {
      const std::size_t k = find_byte(s, '\\', i);
      return k == s.npos ? s.size() : k;
    }
  };
  const std::size_t a = 2;
  const std::size_t a_end = seg_end(a);
  const std::size_t b = next_seg(a_end);
  const std::size_t b_end = seg_end(b);
  if (a_end == a || b_end == b) return {none, 0};
  const std::string_view first = s.substr(a, a_end - a);
  const std::string_view second = s.substr(b, b_end - b);
  // A share reached through \\?\UNC or \\.\UNC: the server and the share belong to the volume.
  const auto with_share = [&](windows_volume_kind kind) {
    const std::size_t c = next_seg(b_end);
    const std::size_t c_end = seg_end(c);
    const std::size_t d = next_seg(c_end);
    const std::size_t d_end = seg_end(d);
    return c_end == c || d_end == d ? windows_volume{none, 0} : windows_volume{kind, d_end};
  };
  // Device names ignore case; the name after \\?\ is matched byte for byte.
  if (first == ".")
    return equal_ignoring_ascii_case(second, "unc") ? with_share(device) : windows_volume{device, b_end};
  if (first != "?") return {unc, b_end};
  if (second.back() == ':') return {verbatim_drive, b_end};
  if (second == "UNC") return with_share(verbatim_unc);
  const std::size_t c = next_seg(b_end);
  const std::size_t c_end = seg_end(c);
  return c_end == c ? windows_volume{none, 0} : windows_volume{verbatim, c_end};
}

// The volume and the rest of a valid path. Windows: C:\a => (C:, \a),
// \\srv\sh\a => (\\srv\sh, \a), a\b => ("", a\b). POSIX: //a => (/, /a),
// /a => ("", /a): the rest of a "//" path reads like a path with one
// leading separator.
template <path_syntax S>
[[nodiscard]] constexpr std::size_t volume_size(std::string_view p) noexcept {
  // Only the syntaxes' grammars differ; the cut is the same.
  if constexpr (S::is_windows) {
    return windows_volume_of<volume_text::valid_path>(p).size;
  } else {
    return p.size() >= 2 && p[0] == '/' && p[1] == '/' ? 1 : 0;
  }
}

template <path_syntax S>
[[nodiscard]] constexpr volume_split volume_of(std::string_view p) noexcept {
  const std::size_t n = volume_size<S>(p);
  return {{p.data(), n}, {p.data() + n, p.size() - n}};
}

// A text that begins as the rest of p does, for a test of its first bytes.
// The POSIX volume is itself a separator, the first of a leading "//", so
// the whole path begins as the rest. A Windows UNC, device or verbatim
// volume is always followed by a separator, so what follows its first byte
// does too, and its segments need not be read; a drive must be cut off.
template <path_syntax S>
[[nodiscard]] constexpr std::string_view rest_for_first_bytes(std::string_view p) noexcept {
  if constexpr (S::is_windows) {
    return begins_unc(p) ? p.substr(1) : volume_of<S>(p).rest;
  } else {
    return p;
  }
}

// The kind, the volume and the rest of a valid Windows path, read once.
struct typed_volume_split {
  windows_volume_kind kind;
  std::string_view volume;
  std::string_view rest;
};

[[nodiscard]] constexpr typed_volume_split typed_volume_of(std::string_view p) noexcept {
  const windows_volume v = windows_volume_of<volume_text::valid_path>(p);
  return {v.kind, p.substr(0, v.size), p.substr(v.size)};
}

// The server and the share of "server\share", the end of a UNC volume.
[[nodiscard]] constexpr std::array<std::string_view, 2> server_and_share(std::string_view names) noexcept {
  const std::size_t sep = names.find('\\');
  return {names.substr(0, sep), names.substr(sep + 1)};
}

// True for a drive volume of one ASCII letter, C:, the only kind that a file
// URI or the plain form of a verbatim path can name.
[[nodiscard]] constexpr bool is_one_letter_drive(std::string_view volume) noexcept {
  return volume.size() == 2 && is_ascii_letter(volume[0]) && volume[1] == ':';
}

// True when p has a volume. A Windows path without one must not gain a
// ':', which would make everything up to it a volume.
template <path_syntax S>
[[nodiscard]] constexpr bool has_volume(std::string_view p) noexcept {
  // Only the syntaxes' grammars differ: a Windows volume is UNC or a drive.
  if constexpr (S::is_windows) {
    return begins_unc(p) || find_byte(p, ':') != p.npos;
  } else {
    return p.size() >= 2 && p[0] == '/' && p[1] == '/';
  }
}

// True when the part after the volume is exactly one separator: /, //, \, C:\, \\srv\sh\.
template <path_syntax S>
[[nodiscard]] constexpr bool is_root_path(std::string_view p) noexcept {
  return volume_of<S>(p).rest == S::dir_sep;
}

}  // namespace corso::detail
