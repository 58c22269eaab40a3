// Single and multiple extensions, read and edited in the last non-empty segment.
#include "corso/extensions.hpp"

#include <stdexcept>

#include "segments.hpp"
#include "strings.hpp"
#include "volume.hpp"

namespace corso {
namespace detail {
namespace {

template <path_syntax S>
std::string_view sub_get_ext(std::string_view p, bool multi) noexcept {
  return multi ? sub_multi_ext(sub_last_non_empty_seg<S>(p)) : sub_single_ext_of_path<S>(p);
}

// The path without its extension, and the extension. A trailing separator
// after the extension is put back; the part kept holds at least the first
// byte of the name, so it is never empty.
template <path_syntax S>
std::pair<std::string, std::string_view> _split_ext(const basic_path<S>& path, bool multi) {
  const std::string_view p = path.view();
  const std::string_view e = sub_get_ext<S>(p, multi);
  if (e.empty()) return {path.to_string(), e};
  const std::string_view kept = p.substr(0, static_cast<std::size_t>(e.data() - p.data()));
  const bool at_end = e.data() + e.size() == p.data() + p.size();
  return {concat({kept, at_end ? std::string_view() : S::dir_sep}), e};
}

}  // namespace
}  // namespace detail

template <path_syntax S>
std::string_view get_ext_view_fn::operator()(const basic_path<S>& p, ext_options options) const noexcept {
  return detail::sub_get_ext<S>(p.view(), options.multi_ext);
}

template <path_syntax S>
std::string get_ext_fn::operator()(const basic_path<S>& p, ext_options options) const {
  return std::string(get_ext_view(p, options));
}

template <path_syntax S>
std::string_view stem_view_fn::operator()(const basic_path<S>& p, ext_options options) const noexcept {
  const std::string_view seg = detail::sub_last_non_empty_seg<S>(p.view());
  if (detail::sub_is_rel_seg(seg)) return {};  // "." and ".." have no base name
  if (options.multi_ext) return seg.substr(0, seg.size() - detail::sub_multi_ext(seg).size());
  // The extension lies at the end of seg, where the road from the path's end finds it.
  const std::string_view e = detail::sub_single_ext_of_path<S>(p.view());
  return seg.substr(0, seg.size() - e.size());
}

template <path_syntax S>
std::string stem_fn::operator()(const basic_path<S>& p, ext_options options) const {
  return std::string(stem_view(p, options));
}

template <path_syntax S>
bool has_ext_fn::operator()(std::string_view ext, const basic_path<S>& p) const noexcept {
  const std::string_view e = detail::sub_get_ext<S>(p.view(), true);
  if (e.empty() || !e.ends_with(ext)) return false;
  if (!ext.empty() && ext[0] == '.') return true;
  // Whole components only: the matched part follows a '.', which e begins with.
  return e[e.size() - ext.size() - 1] == '.';
}

template <path_syntax S>
bool exists_ext_fn::operator()(const basic_path<S>& p, ext_options options) const noexcept {
  const std::string_view e = detail::sub_get_ext<S>(p.view(), options.multi_ext);
  if (!options.multi_ext) return !e.empty();
  return e.size() > 1 && detail::find_byte(e, '.', 1) != e.npos;
}

template <path_syntax S>
basic_path<S> add_ext_fn::operator()(std::string_view ext, const basic_path<S>& path) const {
  if (ext.empty()) return path;
  bool ok = is_seg<S>(ext);
  // Windows only, where a ':' ends a volume: a + "b:c" would read as the volume a.b:
  if constexpr (S::is_windows)
    ok = ok && (detail::find_byte(ext, ':') == ext.npos || detail::has_volume<S>(path.view()));
  if (!ok) throw std::invalid_argument(detail::message(ext, "invalid extension"));
  const std::string_view p = path.view();
  const std::string_view seg = detail::sub_last_non_empty_seg<S>(p);
  if (detail::sub_is_dir_seg(seg)) return path;
  const std::string_view name = p.substr(0, static_cast<std::size_t>(seg.data() + seg.size() - p.data()));
  // A valid path has at most one separator after its last non-empty segment.
  const std::string_view trailing = p.back() == S::dir_sep_char ? S::dir_sep : std::string_view();
  const std::string_view dot = ext[0] == '.' ? std::string_view() : std::string_view(".");
  return detail::make_path<S>(detail::concat({name, dot, ext, trailing}));
}

template <path_syntax S>
basic_path<S> rem_ext_fn::operator()(const basic_path<S>& p, ext_options options) const {
  return detail::make_path<S>(detail::_split_ext(p, options.multi_ext).first);
}

template <path_syntax S>
basic_path<S> set_ext_fn::operator()(std::string_view ext, const basic_path<S>& p, ext_options options) const {
  return add_ext(ext, rem_ext(p, options));
}

template <path_syntax S>
std::pair<basic_path<S>, std::string> split_ext_fn::operator()(const basic_path<S>& p, ext_options options) const {
  auto [kept, e] = detail::_split_ext(p, options.multi_ext);
  return {detail::make_path<S>(std::move(kept)), std::string(e)};
}

CORSO_EXTENSIONS_INSTANTIATIONS(template, posix_syntax)
CORSO_EXTENSIONS_INSTANTIATIONS(template, windows_syntax)

}  // namespace corso
