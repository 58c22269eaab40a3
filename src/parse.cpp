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

// A string that is already a path is scanned once and kept as it is.
result<posix_path> of_string_posix(std::string&& s) {
  const scan_result scanned = scan<false>(s);
  if (s.empty() || scanned.has_nul) return err(s);
  if (scanned.has_run) collapse_seps(s, '/');
  return make_path<posix_syntax>(std::move(s));
}

result<windows_path> of_string_windows(std::string&& s) {
  const scan_result scanned = scan<true>(s);
  if (s.empty()) return err(s);
  if (scanned.has_nul) {
    slashes_to_backslashes(s.data(), s.size());
    return err(s);
  }
  const auto is_sep = [](char c) { return c == '\\' || c == '/'; };
  const bool unc = s.size() >= 2 && is_sep(s[0]) && is_sep(s[1]);
  // The caller's own string is quoted for an incomplete UNC volume, so it is
  // checked before it is rewritten.
  const std::size_t volume_end = unc ? windows_volume::parse_unc(s) : 0;
  if (unc && volume_end == 0) return err(s);
  if (scanned.has_slash) slashes_to_backslashes(s.data(), s.size());
  if (scanned.has_run) collapse_seps(s, '\\');
  if (unc) {
    // Without a run collapsed, the volume ends where it did in the caller's bytes.
    const bool ends_at_volume =
        scanned.has_run ? windows_volume::sub_split_volume(s).rest.empty() : volume_end == s.size();
    if (ends_at_volume) s.push_back('\\');
  } else if (s.find(':') == s.size() - 1) {
    return err(s);  // the first ':' ends the path: a volume with nothing after it
  }
  return make_path<windows_syntax>(std::move(s));
}

}  // namespace
}  // namespace detail

template <path_syntax S>
result<basic_path<S>> basic_path<S>::of_string(std::string&& s) {
  if constexpr (S::is_windows) {
    return detail::of_string_windows(std::move(s));
  } else {
    return detail::of_string_posix(std::move(s));
  }
}

template <path_syntax S>
result<basic_path<S>> basic_path<S>::of_string(std::string_view s) {
  return of_string(std::string(s));
}

// Exported through the CORSO_API of the class template itself: MinGW
// ignores an attribute on the explicit instantiation of a defined class.
template class basic_path<posix_syntax>;
template class basic_path<windows_syntax>;

}  // namespace corso
