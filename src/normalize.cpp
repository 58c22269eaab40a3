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

// The POSIX "//" volume is set aside like a Windows one, so that the rest
// reads like a path with one leading separator.
template <path_syntax S>
std::optional<std::string> normalize_of(std::string_view p) {
  const volume_split v = volume_of<S>(p);
  std::optional<std::string> n = normalize_rest<S::dir_sep_char>(v.volume, v.rest);
  if constexpr (S::is_windows) {
    if (n) keep_out_of_nt_namespace(*n, p);
  }
  return n;
}

}  // namespace
}  // namespace detail

template <path_syntax S>
basic_path<S> normalize_fn::operator()(const basic_path<S>& p) const {
  std::optional<std::string> n = detail::normalize_of<S>(p.view());
  return n ? detail::make_path<S>(std::move(*n)) : p;
}

template <path_syntax S>
basic_path<S> normalize_fn::operator()(basic_path<S>&& p) const {
  std::optional<std::string> n = detail::normalize_of<S>(p.view());
  return n ? detail::make_path<S>(std::move(*n)) : std::move(p);
}

CORSO_NORMALIZE_INSTANTIATIONS(template, posix_syntax)
CORSO_NORMALIZE_INSTANTIATIONS(template, windows_syntax)

}  // namespace corso
