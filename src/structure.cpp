// Segments, composition, directory paths, bases and parents.
#include "corso/structure.hpp"

#include <array>
#include <stdexcept>

#include "segments.hpp"
#include "strings.hpp"
#include "volume.hpp"

namespace corso {
namespace detail {
namespace {

// The separator to put between p and what follows it: none when p ends with one.
template <path_syntax S>
std::string_view joint(std::string_view p) noexcept {
  return p.back() == S::dir_sep_char ? std::string_view() : S::dir_sep;
}

template <path_syntax S>
void check_seg(std::string_view p, std::string_view seg) {
  bool ok = is_seg<S>(seg);
  // Windows only, where a ':' ends a volume: a\ + "b:c" would read as the volume a\b:
  if constexpr (S::is_windows) ok = ok && (find_byte(seg, ':') == seg.npos || has_volume<S>(p));
  if (!ok) throw std::invalid_argument(message(seg, "invalid segment"));
}

// True when append(p0, p1) is p1 whatever p0 is: p1 has a volume or begins
// with a separator (a Windows path rooted on the current volume included,
// which p0 does not lend its volume).
template <path_syntax S>
bool append_takes_p1(std::string_view p1) noexcept {
  return p1[0] == S::dir_sep_char || has_volume<S>(p1);
}

template <char Sep>
std::vector<std::string> segs_of_path(std::string_view s) {
  std::vector<std::string> out;
  for_each_seg<Sep>(s, [&out](std::string_view seg) { out.emplace_back(seg); });
  return out;
}

// A path cut for split_base: volume + dir is the directory part.
struct base_split {
  std::string_view volume;
  std::string_view dir;
  std::string_view base;
};

// v ends where the path ends and is not a root. The directory part keeps the
// separator that ends it; the base keeps v's trailing separator, if any.
template <path_syntax S>
base_split _split_base(std::string_view volume, std::string_view v) noexcept {
  constexpr char sep = S::dir_sep_char;
  const seg_split s = _split_last_seg<sep>(v);
  if (s.left.empty()) return {volume, S::dot_dir, v};
  if (!s.right.empty()) return {volume, s.left, s.right};
  const seg_split s2 = _split_last_seg<sep>(s.left.substr(0, s.left.size() - 1));
  if (s2.left.empty()) return {volume, S::dot_dir, v};
  return {volume, s2.left, span(s2.right, v)};
}

template <path_syntax S>
base_split split_base_of(std::string_view p) {
  const volume_split v = volume_of<S>(p);
  if (v.rest == S::dir_sep) return {{}, p, S::dot_dir};
  const base_split b = _split_base<S>(v.volume, v.rest);
  // Windows only: the base stands alone as a path, and a ':' in it would read as a volume.
  if (S::is_windows && find_byte(b.base, ':') != b.base.npos)
    throw std::invalid_argument(message(b.base, "invalid path"));
  return b;
}

// True when the parent of p must be taken after its volume. The POSIX
// volume is a separator that the whole path's parent reads as one; only a
// root ("/", "//") must be answered after the cut, as its own parent. Under
// Windows the cut costs a search, and, as for the last segment, it cannot
// matter when the whole path's last non-empty segment holds no ':' and p is
// neither UNC nor the root \ (which has no segment at all).
template <path_syntax S>
bool parent_needs_volume_split(std::string_view p) noexcept {
  if constexpr (S::is_windows) {
    return begins_unc(p) || p == "\\" || !last_seg_without_colon(without_trailing_sep(p));
  } else {
    return is_root_path<S>(p);
  }
}

template <path_syntax S>
std::string parent_of(const basic_path<S>& path) {
  const std::string_view p = path.view();
  std::string_view volume;
  std::string_view v = p;
  if (parent_needs_volume_split<S>(p)) {
    const volume_split split = volume_of<S>(p);
    if (split.rest == S::dir_sep) return path.to_string();
    volume = split.volume;
    v = split.rest;
  }
  // v is as for _split_base. A last segment "." or ".." gains "..": nothing is resolved.
  const last_non_empty_split s = _split_last_non_empty_seg<S::dir_sep_char>(v);
  if (sub_is_rel_seg(s.split.right)) {
    return concat({volume, v, s.ends_in_seg ? S::dir_sep : std::string_view(), S::dotdot_dir});
  }
  if (s.split.left.empty()) return concat({volume, S::dot_dir});
  // Most parents are p cut after a separator: one copy of a prefix.
  return std::string(p.data(), volume.size() + s.split.left.size());
}

// The length of p without one trailing separator; a root keeps its own.
template <path_syntax S>
std::size_t rem_empty_seg_length(std::string_view p) noexcept {
  if (is_root_path<S>(p)) return p.size();
  return p.back() == S::dir_sep_char ? p.size() - 1 : p.size();
}

}  // namespace
}  // namespace detail

template <path_syntax S>
basic_path<S> add_seg_fn::operator()(const basic_path<S>& p, std::string_view seg) const {
  detail::check_seg<S>(p.view(), seg);
  return detail::make_path<S>(detail::concat({p.view(), detail::joint<S>(p.view()), seg}));
}

template <path_syntax S>
basic_path<S> add_seg_fn::operator()(basic_path<S>&& p, std::string_view seg) const {
  detail::check_seg<S>(p.view(), seg);
  const std::string_view joint = detail::joint<S>(p.view());
  std::string s = std::move(p).to_string();
  s.append(joint).append(seg);
  return detail::make_path<S>(std::move(s));
}

template <path_syntax S>
basic_path<S> append_fn::operator()(const basic_path<S>& p0, const basic_path<S>& p1) const {
  if (detail::append_takes_p1<S>(p1.view())) return p1;
  return detail::make_path<S>(detail::concat({p0.view(), detail::joint<S>(p0.view()), p1.view()}));
}

template <path_syntax S>
basic_path<S> append_fn::operator()(basic_path<S>&& p0, const basic_path<S>& p1) const {
  if (detail::append_takes_p1<S>(p1.view())) return p1;
  const std::string_view joint = detail::joint<S>(p0.view());
  std::string s = std::move(p0).to_string();
  s.append(joint).append(p1.view());
  return detail::make_path<S>(std::move(s));
}

template <path_syntax S>
std::pair<std::string, std::string> split_volume_fn::operator()(const basic_path<S>& p) const {
  const detail::volume_split v = detail::volume_of<S>(p.view());
  return {std::string(v.volume), std::string(v.rest)};
}

template <path_syntax S>
std::vector<std::string> segs_fn::operator()(const basic_path<S>& p) const {
  return detail::segs_of_path<S::dir_sep_char>(detail::volume_of<S>(p.view()).rest);
}

template <path_syntax S>
segments_view<S> segments_fn::operator()(const basic_path<S>& p) const noexcept {
  return segments_view<S>(detail::volume_of<S>(p.view()).rest);
}

template <path_syntax S>
bool is_dir_path_fn::operator()(const basic_path<S>& p) const noexcept {
  return detail::sub_is_dir_seg(detail::sub_last_seg<S>(p.view()));
}

template <path_syntax S>
bool is_file_path_fn::operator()(const basic_path<S>& p) const noexcept {
  return !is_dir_path(p);
}

template <path_syntax S>
basic_path<S> to_dir_path_fn::operator()(const basic_path<S>& p) const {
  if (p.view().back() == S::dir_sep_char) return p;
  return detail::make_path<S>(detail::concat({p.view(), S::dir_sep}));
}

template <path_syntax S>
basic_path<S> to_dir_path_fn::operator()(basic_path<S>&& p) const {
  if (p.view().back() == S::dir_sep_char) return std::move(p);
  std::string s = std::move(p).to_string();
  s.push_back(S::dir_sep_char);
  return detail::make_path<S>(std::move(s));
}

template <path_syntax S>
std::string_view filename_view_fn::operator()(const basic_path<S>& p) const noexcept {
  const std::string_view seg = detail::sub_last_seg<S>(p.view());
  return detail::sub_is_dir_seg(seg) ? std::string_view() : seg;
}

template <path_syntax S>
std::string filename_fn::operator()(const basic_path<S>& p) const {
  return std::string(filename_view(p));
}

template <path_syntax S>
std::pair<basic_path<S>, basic_path<S>> split_base_fn::operator()(const basic_path<S>& p) const {
  const detail::base_split b = detail::split_base_of<S>(p.view());
  return {detail::make_path<S>(detail::concat({b.volume, b.dir})), detail::make_path<S>(std::string(b.base))};
}

template <path_syntax S>
basic_path<S> base_fn::operator()(const basic_path<S>& p) const {
  return detail::make_path<S>(std::string(detail::split_base_of<S>(p.view()).base));
}

// A root's last non-empty segment is empty, like that of a directory path.
template <path_syntax S>
std::string_view basename_view_fn::operator()(const basic_path<S>& p) const noexcept {
  const std::string_view s = detail::sub_last_non_empty_seg<S>(p.view());
  return detail::sub_is_rel_seg(s) ? std::string_view() : s;
}

template <path_syntax S>
std::string basename_fn::operator()(const basic_path<S>& p) const {
  return std::string(basename_view(p));
}

template <path_syntax S>
basic_path<S> parent_fn::operator()(const basic_path<S>& p) const {
  return detail::make_path<S>(detail::parent_of(p));
}

template <path_syntax S>
basic_path<S> rem_empty_seg_fn::operator()(const basic_path<S>& p) const {
  const std::size_t n = detail::rem_empty_seg_length<S>(p.view());
  if (n == p.view().size()) return p;
  return detail::make_path<S>(std::string(p.view().substr(0, n)));
}

template <path_syntax S>
basic_path<S> rem_empty_seg_fn::operator()(basic_path<S>&& p) const {
  const std::size_t n = detail::rem_empty_seg_length<S>(p.view());
  std::string s = std::move(p).to_string();
  s.resize(n);
  return detail::make_path<S>(std::move(s));
}

CORSO_STRUCTURE_INSTANTIATIONS(template, posix_syntax)
CORSO_STRUCTURE_INSTANTIATIONS(template, windows_syntax)

}  // namespace corso
