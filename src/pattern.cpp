#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "corso/pattern.hpp"
#include "corso/structure.hpp"
#include "pattern_match.hpp"
#include "strings.hpp"
#include "volume.hpp"

namespace corso {
namespace detail {
namespace {

// The segments of a pattern's or a path's body, in order.
template <char Sep, class F>
bool for_each_segment(std::string_view body, F&& f) {
  if (body.empty()) return true;
  for (;;) {
    const std::size_t cut = body.find(Sep);
    if (!f(body.substr(0, cut))) return false;
    if (cut == body.npos) return true;
    body.remove_prefix(cut + 1);
  }
}

// The body of a rest after its volume: without the root's separator and
// without one trailing separator; the root alone has none, no segment.
std::string_view body_of(std::string_view rest, char sep, bool rooted) noexcept {
  if (rooted) rest.remove_prefix(1);
  if (!rest.empty() && rest.back() == sep) rest.remove_suffix(1);
  return rest;
}

// One segment pattern against one segment of a path, by the road it was compiled for.
bool match_segment(const pattern_segment& segment, std::string_view text, std::string_view s, bool fold) {
  const std::string_view seg = text.substr(segment.begin, segment.end - segment.begin);
  if (segment.how == pattern_segment::kind::walk) return walk_segment(seg, s, fold);
  return match_segment_offsets(seg, s, fold);
}

}  // namespace
}  // namespace detail

template <path_syntax S>
result<basic_pattern<S>> basic_pattern<S>::of_string(std::string_view text, pattern_options options) {
  const auto invalid = [&] { return error(detail::message(text, "invalid pattern")); };
  result<basic_path<S>> parsed = basic_path<S>::of_string(text);
  if (!parsed) return invalid();
  basic_pattern pat;
  pat.options_ = options;
  pat.text_ = std::move(*parsed).to_string();
  const std::string_view whole = pat.text_;
  const detail::volume_split v = detail::volume_of<S>(whole);
  pat.volume_size_ = static_cast<std::uint32_t>(v.volume.size());
  pat.rooted_ = v.rest.front() == S::dir_sep_char;
  // The root alone ends with a separator and still matches only itself.
  pat.directories_only_ = v.rest.back() == S::dir_sep_char && v.rest.size() > 1;
  const std::string_view body = detail::body_of(v.rest, S::dir_sep_char, pat.rooted_);
  const bool ok = detail::for_each_segment<S::dir_sep_char>(body, [&](std::string_view seg) {
    using kind = detail::pattern_segment::kind;
    bool star = false;
    bool char_token = false;
    for (std::size_t i = 0; i < seg.size(); i = detail::pattern_token_end(seg, i)) {
      if (seg[i] == '[' && detail::pattern_set_end(seg, i) == seg.npos) return false;
      star = star || seg[i] == '*';
      char_token = char_token || seg[i] == '?' || seg[i] == '[';
    }
    const auto begin = static_cast<std::uint32_t>(seg.data() - whole.data());
    const kind how = seg == "**" ? kind::any_segments : (star && char_token ? kind::general : kind::walk);
    pat.has_any_segments_ = pat.has_any_segments_ || how == kind::any_segments;
    pat.segments_.push_back({begin, begin + static_cast<std::uint32_t>(seg.size()), how});
    return true;
  });
  if (!ok) return invalid();
  return pat;
}

template <path_syntax S>
bool basic_pattern<S>::matches(const basic_path<S>& p) const {
  const bool fold = options_.ignore_ascii_case;
  const detail::volume_split v = detail::volume_of<S>(p.view());
  const std::string_view volume = std::string_view(text_).substr(0, volume_size_);
  const bool same_volume =
      fold ? volume.size() == v.volume.size() &&
                 std::equal(volume.begin(), volume.end(), v.volume.begin(),
                            [](char a, char b) { return detail::ascii_lower(a) == detail::ascii_lower(b); })
           : volume == v.volume;
  if (!same_volume) return false;
  const bool rooted = v.rest.front() == S::dir_sep_char;
  if (rooted != rooted_ || (directories_only_ && !is_dir_path(p))) return false;
  const std::string_view body = detail::body_of(v.rest, S::dir_sep_char, rooted);
  using kind = detail::pattern_segment::kind;
  const std::size_t m = segments_.size();
  if (!has_any_segments_) {  // one segment of the path for each of the pattern
    std::size_t i = 0;
    return detail::for_each_segment<S::dir_sep_char>(
               body,
               [&](std::string_view s) { return i < m && detail::match_segment(segments_[i++], text_, s, fold); }) &&
           i == m;
  }
  // A first or last segment pattern other than "**" must match the path's
  // own: most paths fail there, before the walk over every segment.
  const auto ends_match = [&](const detail::pattern_segment& seg, std::string_view s) {
    return seg.how == kind::any_segments || detail::match_segment(seg, text_, s, fold);
  };
  const std::size_t first_cut = body.find(S::dir_sep_char);
  const std::size_t last_cut = body.rfind(S::dir_sep_char);
  if (!ends_match(segments_.front(), body.substr(0, first_cut)) ||
      !ends_match(segments_.back(), last_cut == body.npos ? body : body.substr(last_cut + 1))) {
    return false;
  }
  // The pattern segments that the match can stand before, path segment
  // after path segment: each pair is compared at most once.
  detail::offset_set at(m);
  detail::offset_set next(m);
  const auto close = [&](detail::offset_set& set) {  // "**" may match no segment
    for (std::size_t i = 0; i < m; ++i) {
      if (set.contains(i) && segments_[i].how == kind::any_segments) set.insert(i + 1);
    }
  };
  at.insert(0);
  close(at);
  const bool alive = detail::for_each_segment<S::dir_sep_char>(body, [&](std::string_view s) {
    next.clear();
    at.for_each([&](std::size_t i) {
      if (i == m) return;
      if (segments_[i].how == kind::any_segments) {
        next.insert(i);
      } else if (detail::match_segment(segments_[i], text_, s, fold)) {
        next.insert(i + 1);
      }
    });
    close(next);
    at.swap(next);
    return !at.empty();
  });
  return alive && at.contains(m);
}

template <path_syntax S>
bool matches_fn::operator()(std::string_view pattern, const basic_path<S>& p, pattern_options options) const {
  return basic_pattern<S>::v(pattern, options).matches(p);
}

// Exported through the CORSO_API of the class template itself, as paths are.
template class basic_pattern<posix_syntax>;
template class basic_pattern<windows_syntax>;
CORSO_PATTERN_INSTANTIATIONS(template, posix_syntax)
CORSO_PATTERN_INSTANTIATIONS(template, windows_syntax)

}  // namespace corso
