// Normalization: "." and ".." resolved by position, volumes and
// directory-ness kept.
#include "normalize.hpp"

#include <optional>

#include "corso/structure.hpp"
#include "volume.hpp"

namespace corso {
namespace detail {

template <char Sep>
bool has_rel_seg(std::string_view v) noexcept {
  bool found = false;
  for_each_seg<Sep>(v, [&found](std::string_view seg) { found = found || sub_is_rel_seg(seg); });
  return found;
}

// The kept segments form a stack: a ".." cancels the named segment under it,
// "." goes, and a last "." or ".." leaves an empty segment, so that the result
// is a directory path exactly when v is one. The stack is always a run of
// ".." followed by names, so the ".." that an absolute path would keep right
// under its root are simply never pushed.
template <char Sep>
void normal_segs(std::string_view v, seg_list& out) {
  const bool absolute = v[0] == Sep;
  const std::size_t bottom = absolute ? 1 : 0;
  if (absolute) {
    out.push({});
    v.remove_prefix(1);
  }
  const auto nothing_to_cancel = [&] { return out.size() == bottom || out.back() == ".."; };
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = v.find(Sep, start);
    const bool last = end == v.npos;
    const std::string_view seg = v.substr(start, last ? v.npos : end - start);
    if (seg == "..") {
      if (nothing_to_cancel()) {
        if (!absolute) out.push(seg);
      } else {
        out.pop();
        if (last) out.push({});
      }
    } else if (seg == ".") {
      if (last) out.push({});
    } else {
      out.push(seg);
    }
    if (last) break;
    start = end + 1;
  }
  if (nothing_to_cancel()) out.push({});  // after an empty last segment, never
  // A relative path whose segments all cancel is the current directory.
  if (!absolute && out.size() == 1 && out[0].empty()) {
    out.pop();
    out.push(".");
    out.push({});
  }
}

template void normal_segs<'/'>(std::string_view, seg_list&);
template void normal_segs<'\\'>(std::string_view, seg_list&);
template bool has_rel_seg<'/'>(std::string_view) noexcept;
template bool has_rel_seg<'\\'>(std::string_view) noexcept;

namespace {

// The normal form of rest written after the volume, or nothing when rest has
// no "." or ".." segment and the path is its own normal form.
template <char Sep>
std::optional<std::string> normalize_rest(std::string_view volume, std::string_view rest) {
  if (!has_rel_seg<Sep>(rest)) return std::nullopt;
  seg_list segs;
  normal_segs<Sep>(rest, segs);
  return join_segs<Sep>(volume, segs);
}

// The "//" volume is set aside so that the rest reads like a path with one
// leading separator.
std::optional<std::string> normalize_posix(std::string_view p) {
  const std::size_t volume = posix_volume::has_volume(p) ? 1 : 0;
  return normalize_rest<'/'>(p.substr(0, volume), p.substr(volume));
}

std::optional<std::string> normalize_windows(std::string_view p) {
  const volume_split v = windows_volume::sub_split_volume(p);
  return normalize_rest<'\\'>(v.volume, v.rest);
}

template <path_syntax S>
std::optional<std::string> normalize_of(std::string_view p) {
  if constexpr (S::is_windows) {
    return normalize_windows(p);
  } else {
    return normalize_posix(p);
  }
}

}  // namespace
}  // namespace detail

template <path_syntax S>
basic_path<S> normalize(const basic_path<S>& p) {
  std::optional<std::string> n = detail::normalize_of<S>(p.view());
  return n ? detail::path_access::make<S>(std::move(*n)) : p;
}

template <path_syntax S>
basic_path<S> normalize(basic_path<S>&& p) {
  std::optional<std::string> n = detail::normalize_of<S>(p.view());
  return n ? detail::path_access::make<S>(std::move(*n)) : std::move(p);
}

template basic_path<posix_syntax> normalize(const basic_path<posix_syntax>&);
template basic_path<posix_syntax> normalize(basic_path<posix_syntax>&&);
template basic_path<windows_syntax> normalize(const basic_path<windows_syntax>&);
template basic_path<windows_syntax> normalize(basic_path<windows_syntax>&&);

}  // namespace corso
