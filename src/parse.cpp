// Validation and parsing of both syntaxes.
#include <cstring>
#include <string>
#include <string_view>

#include "corso/path.hpp"
#include "scan.hpp"
#include "strings.hpp"
#include "volume.hpp"

namespace corso {
namespace detail {
namespace {

error err(std::string_view s) { return error(message(s, "invalid path")); }

// Collapses every run of separators that starts at index 1 or later into
// one, in place, so that a leading pair survives ("///a//b" => "//a/b").
// Windows refuses three leading separators before it is called.
// The caller has already refused NUL bytes, and calls it only when scan
// found a run. The write index never passes the read index.
void collapse_seps(std::string& s, char sep) {
  const std::size_t start = s.size() >= 2 && s[0] == sep ? 1 : 0;
  const char pair[2] = {sep, sep};
  const std::size_t first = s.find(pair, start, 2);
  if (first == s.npos) return;
  std::size_t w = first + 1;
  for (std::size_t r = first + 2; r < s.size(); ++r) {
    if (s[r] == sep && s[w - 1] == sep) continue;
    s[w++] = s[r];
  }
  s.resize(w);
}

// Windows only: a non-empty s whose first ':' is its last byte, a drive with
// no path after it. The search is only for a text that ends with ':'.
bool ends_at_drive(std::string_view s) noexcept { return s.back() == ':' && s.find(':') == s.size() - 1; }

// Windows only: a UNC volume that the collapsed string ends with gains its
// '\', and a drive volume must be followed by something. False when the
// string is refused. `volume` was read on the caller's bytes.
bool complete_volume_windows(std::string& s, windows_volume volume, bool collapsed) {
  if (volume.kind == windows_volume_kind::none || volume.kind == windows_volume_kind::drive) {
    return !ends_at_drive(s);
  }
  // Without a run collapsed, the volume ends where it did in the caller's bytes.
  const bool ends_at_volume = collapsed ? volume_of<windows_syntax>(s).rest.empty() : volume.size == s.size();
  if (ends_at_volume) s.push_back('\\');
  return true;
}

// True when s, non-empty, free of NUL bytes and of runs, and under Windows
// with '/' rewritten, is a path as it stands: most text is, and then it is
// copied once and not scanned again. A UNC volume stands when it is whole
// and something follows it; else it gains its '\' on the longer road.
template <path_syntax S>
bool stands_as_path(std::string_view s) noexcept {
  if constexpr (S::is_windows) {
    if (begins_unc(s)) {
      const windows_volume volume = windows_volume_of<volume_text::valid_path>(s);
      return volume.kind != windows_volume_kind::none && volume.size != s.size();
    }
    return !ends_at_drive(s);
  }
  return true;
}

// s made a path, `scanned` being what scan found in it.
template <path_syntax S>
result<basic_path<S>> parse(std::string&& s, scan_result scanned) {
  if (s.empty()) return err(s);
  windows_volume volume{};
  if constexpr (S::is_windows) {
    // The caller's own string is quoted for an incomplete UNC volume or a
    // third leading separator, so it is read before '/' is rewritten; a
    // string refused for anything else is quoted rewritten.
    if (!scanned.has_nul && begins_unc<volume_text::caller_bytes>(s)) {
      volume = windows_volume_of<volume_text::caller_bytes>(s);
      if (volume.kind == windows_volume_kind::none) return err(s);
    }
    if (scanned.has_slash || scanned.has_nul) slashes_to_backslashes(s.data(), s.size());
  }
  if (scanned.has_nul) return err(s);
  if (scanned.has_run) collapse_seps(s, S::dir_sep_char);
  if constexpr (S::is_windows) {
    if (!complete_volume_windows(s, volume, scanned.has_run)) return err(s);
  }
  return make_path<S>(std::move(s));
}

}  // namespace
}  // namespace detail

template <path_syntax S>
result<basic_path<S>> basic_path<S>::of_string(std::string&& s) {
  const detail::scan_result scanned = detail::scan<S::is_windows>(s);
  return detail::parse<S>(std::move(s), scanned);
}

template <path_syntax S>
result<basic_path<S>> basic_path<S>::of_string(std::string_view s) {
  // One scan of the caller's bytes serves both roads: the copy holds the same bytes.
  const detail::scan_result scanned = detail::scan<S::is_windows>(s);
  if (!s.empty() && !scanned.has_nul && !scanned.has_run) {
    std::string copy(s);
    if (S::is_windows && scanned.has_slash) detail::slashes_to_backslashes(copy.data(), copy.size());
    if (detail::stands_as_path<S>(copy)) return detail::make_path<S>(std::move(copy));
  }
  return detail::parse<S>(std::string(s), scanned);
}

// Exported through the CORSO_API of the class template itself: MinGW
// ignores an attribute on the explicit instantiation of a defined class.
template class basic_path<posix_syntax>;
template class basic_path<windows_syntax>;

}  // namespace corso
