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

// Windows only: a UNC volume that the collapsed string ends with gains its
// '\', and a drive volume must be followed by something. False when the
// string is refused. `volume` was read on the caller's bytes.
bool complete_volume_windows(std::string& s, windows_volume volume, bool collapsed) {
  if (volume.kind == windows_volume_kind::none || volume.kind == windows_volume_kind::drive) {
    return s.find(':') != s.size() - 1;  // the first ':' ends the path: a volume with nothing after it
  }
  // Without a run collapsed, the volume ends where it did in the caller's bytes.
  const bool ends_at_volume = collapsed ? volume_of<windows_syntax>(s).rest.empty() : volume.size == s.size();
  if (ends_at_volume) s.push_back('\\');
  return true;
}

// True when s is a path byte for byte: most text is, and then it is scanned
// where it lies and copied once, with no second look at the copy. A UNC
// volume, which may need its '\' added, takes the longer road.
template <path_syntax S>
bool is_path_as_it_stands(std::string_view s) noexcept {
  const scan_result scanned = scan<S::is_windows>(s);
  if (s.empty() || scanned.has_nul || scanned.has_run || scanned.has_slash) return false;
  if constexpr (S::is_windows) {
    return !begins_unc(s) && s.find(':') != s.size() - 1;  // no drive without a path after it
  }
  return true;
}

// A string that is already a path is scanned once and kept as it is.
template <path_syntax S>
result<basic_path<S>> parse(std::string&& s) {
  const scan_result scanned = scan<S::is_windows>(s);
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
  return detail::parse<S>(std::move(s));
}

template <path_syntax S>
result<basic_path<S>> basic_path<S>::of_string(std::string_view s) {
  if (detail::is_path_as_it_stands<S>(s)) return detail::make_path<S>(std::string(s));
  return of_string(std::string(s));
}

// Exported through the CORSO_API of the class template itself: MinGW
// ignores an attribute on the explicit instantiation of a defined class.
template class basic_path<posix_syntax>;
template class basic_path<windows_syntax>;

}  // namespace corso
