// Normalization: "." and ".." resolved by position, volumes and
// directory-ness kept.
#include "normalize.hpp"

#include <optional>

#include "corso/structure.hpp"
#include "volume.hpp"

namespace corso {
namespace detail {

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
  return n ? detail::make_path<S>(std::move(*n)) : p;
}

template <path_syntax S>
basic_path<S> normalize(basic_path<S>&& p) {
  std::optional<std::string> n = detail::normalize_of<S>(p.view());
  return n ? detail::make_path<S>(std::move(*n)) : std::move(p);
}

template CORSO_API basic_path<posix_syntax> normalize(const basic_path<posix_syntax>&);
template CORSO_API basic_path<posix_syntax> normalize(basic_path<posix_syntax>&&);
template CORSO_API basic_path<windows_syntax> normalize(const basic_path<windows_syntax>&);
template CORSO_API basic_path<windows_syntax> normalize(basic_path<windows_syntax>&&);

}  // namespace corso
