// Internal, not part of the public interface: the two roads of
// relativization, exposed so that the tests can hold one against the other.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "corso/syntax.hpp"
#include "normalize.hpp"
#include "segments.hpp"

namespace corso::detail {

// The relative path from the directory root to p, both in the form that
// normal_segs takes. The root is taken as a directory whatever its last
// segment. Shared leading segments are stripped; what remains of the root
// is climbed out of with "..", which the text allows only over named
// segments: a root that still climbs where p does not gives nothing.
template <path_syntax S>
[[nodiscard]] inline std::optional<std::string> _relativize(std::string_view root, std::string_view p) {
  constexpr char sep = S::dir_sep_char;
  seg_list rs;
  seg_list ps;
  normal_segs<sep>(root, rs);
  if (!rs.back().empty()) rs.push({});
  normal_segs<sep>(p, ps);
  if (rs[0].empty() != ps[0].empty()) return std::nullopt;  // one absolute, one relative
  if (rs.size() == 2 && rs[0] == "." && rs[1].empty()) return join_segs<sep>({}, ps);
  std::size_t i = 0;
  std::size_t j = 0;
  for (;;) {
    if (rs[i] == ".." && ps[j] != "..") return std::nullopt;
    const bool root_last = i + 1 == rs.size();
    const bool p_last = j + 1 == ps.size();
    if (root_last && p_last && rs[i].empty() && ps[j].empty()) return std::string(S::dot_dir);
    // The last segment of p is never stripped: it says whether p is a directory.
    if (root_last || p_last || ps[j] != rs[i]) break;
    ++i;
    ++j;
  }
  std::string climb;
  for (std::size_t k = i + 1; k < rs.size(); ++k) climb.append(S::dotdot_dir);
  return join_segs<sep>(climb, ps, j);
}

// Without "." or "..", normalizing changes nothing and the walk over the two
// segment lists is a walk over the bytes: the segments shared are those
// before the last separator of the common prefix of p and of root taken as a
// directory; each segment of root after them is climbed out of with "..".
template <path_syntax S>
[[nodiscard]] inline std::optional<std::string> relativize_normal(std::string_view root, std::string_view p) {
  constexpr char sep = S::dir_sep_char;
  if ((root[0] == sep) != (p[0] == sep)) return std::nullopt;  // one absolute, one relative
  const bool root_is_dir = root.back() == sep;
  // The common prefix, root read as if it ended with a separator.
  const std::size_t max = std::min(root.size(), p.size());
  std::size_t c = static_cast<std::size_t>(
      std::mismatch(root.begin(), root.begin() + static_cast<std::ptrdiff_t>(max), p.begin()).first - root.begin());
  if (c == root.size() && !root_is_dir && c < p.size() && p[c] == sep) ++c;  // the separator root lacks
  const std::size_t last_sep = c == 0 ? std::string_view::npos : p.rfind(sep, c - 1);
  const std::size_t shared = last_sep == std::string_view::npos ? 0 : last_sep + 1;
  // Segments of root past the shared part: its separators, and one more
  // when it does not end with one.
  std::size_t climb = 0;
  for (std::size_t i = shared; i < root.size(); ++i) climb += root[i] == sep;
  if (!root_is_dir && root.size() > shared) ++climb;
  const std::string_view rest = p.substr(shared);
  if (climb == 0 && rest.empty()) return std::string(S::dot_dir);
  std::string out;
  out.reserve(climb * 3 + rest.size());
  for (std::size_t k = 0; k < climb; ++k) out.append(S::dotdot_dir);
  out.append(rest);
  return out;
}

}  // namespace corso::detail
