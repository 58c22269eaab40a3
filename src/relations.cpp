// Prefixes, relativization, predicates and the printing of paths.
#include "corso/relations.hpp"

#include <algorithm>

#include "corso/structure.hpp"
#include "normalize.hpp"
#include "relativize.hpp"
#include "segments.hpp"
#include "strings.hpp"
#include "volume.hpp"

namespace corso {
namespace detail {

namespace {

template <char Sep>
bool is_prefix_of(std::string_view prefix, std::string_view p) noexcept {
  if (!p.starts_with(prefix)) return false;
  return prefix.back() == Sep || prefix.size() == p.size() || p[prefix.size()] == Sep;
}

// The index of the last byte of the longest common prefix of p0 and p1 that
// ends at a segment boundary of both, or nothing.
template <char Sep>
std::optional<std::size_t> _prefix_last_index(std::string_view p0, std::string_view p1) noexcept {
  const std::string_view s = p1.size() <= p0.size() ? p1 : p0;
  const std::string_view l = p1.size() <= p0.size() ? p0 : p1;
  const std::size_t i = static_cast<std::size_t>(std::mismatch(s.begin(), s.end(), l.begin()).first - s.begin());
  if (i == 0) return std::nullopt;
  // The last separator of the shared part; a boundary of both paths.
  const std::size_t m = s.rfind(Sep, i - 1);
  const std::optional<std::size_t> last_sep = m == s.npos ? std::nullopt : std::optional(m);
  if (m == i - 1) return i - 1;
  // All of s is shared: it is a boundary of l too when l goes on with a separator.
  if (i == s.size() && (p0.size() == p1.size() || l[i] == Sep)) return i - 1;
  return last_sep;
}

std::optional<std::string_view> find_prefix_posix(std::string_view p0, std::string_view p1) noexcept {
  const std::optional<std::size_t> i = _prefix_last_index<'/'>(p0, p1);
  if (!i) return std::nullopt;
  // "/" is no common prefix of a path with the "//" volume and one without.
  if (*i == 0 && (posix_volume::has_volume(p0) || posix_volume::has_volume(p1))) return std::nullopt;
  return p0.substr(0, *i + 1);
}

std::optional<std::string_view> find_prefix_windows(std::string_view p0, std::string_view p1) noexcept {
  const std::optional<std::size_t> i = _prefix_last_index<'\\'>(p0, p1);
  if (!i) return std::nullopt;
  // A common prefix reaches past both volumes: paths on different volumes have none.
  const std::size_t v =
      std::max(windows_volume::sub_split_volume(p0).volume.size(), windows_volume::sub_split_volume(p1).volume.size());
  if (*i < v) return std::nullopt;
  return p0.substr(0, *i + 1);
}

// The POSIX "//" volume is not compared: //a/ and /a/ relativize alike.
// The direct road when neither path has a "." or ".." segment, the plain one otherwise.
template <path_syntax S>
std::optional<std::string> relativize_rests(std::string_view root, std::string_view p) {
  constexpr char sep = S::dir_sep_char;
  if (!has_rel_seg<sep>(root) && !has_rel_seg<sep>(p)) return relativize_normal<S>(root, p);
  return _relativize<S>(root, p);
}

std::optional<std::string> relativize_posix(std::string_view root, std::string_view p) {
  const auto rest = [](std::string_view x) { return x.substr(posix_volume::has_volume(x) ? 1 : 0); };
  return relativize_rests<posix_syntax>(rest(root), rest(p));
}

// The parts after two equal volumes go to the common body as they are: a ':'
// in them is a plain byte there, and a result holding one, which would read
// as a volume, is no result.
std::optional<std::string> relativize_windows(std::string_view root, std::string_view p) {
  const volume_split r = windows_volume::sub_split_volume(root);
  const volume_split q = windows_volume::sub_split_volume(p);
  if (r.volume != q.volume) return std::nullopt;
  std::optional<std::string> result = relativize_rests<windows_syntax>(r.rest, q.rest);
  if (result && result->find(':') != std::string::npos) return std::nullopt;
  return result;
}

bool is_rel_windows(std::string_view p) noexcept {
  return !windows_volume::is_unc_path(p) && p[windows_volume::non_unc_path_start(p)] != '\\';
}

bool is_current_dir_posix(std::string_view p, bool prefix) noexcept {
  return p == "." || (prefix ? p.starts_with("./") : p == "./");
}

// The POSIX rule on the part after a drive; a UNC path never is.
bool is_current_dir_windows(std::string_view p, bool prefix) noexcept {
  if (windows_volume::is_unc_path(p)) return false;
  const std::string_view proper = p.substr(windows_volume::non_unc_path_start(p));
  return proper == "." || (prefix || proper.size() == 2 ? proper.starts_with(".\\") : false);
}

bool is_parent_dir_posix(std::string_view p, bool prefix) noexcept {
  return p == ".." || (prefix ? p.starts_with("../") : p == "../");
}

bool is_parent_dir_windows(std::string_view p, bool prefix) noexcept {
  if (windows_volume::is_unc_path(p)) return false;
  const std::string_view proper = p.substr(windows_volume::non_unc_path_start(p));
  return proper == ".." || (prefix || proper.size() == 3 ? proper.starts_with("..\\") : false);
}

}  // namespace
}  // namespace detail

template <path_syntax S>
bool is_prefix(const basic_path<S>& prefix, const basic_path<S>& p) noexcept {
  return detail::is_prefix_of<S::dir_sep_char>(prefix.view(), p.view());
}

template <path_syntax S>
std::optional<basic_path<S>> find_prefix(const basic_path<S>& p0, const basic_path<S>& p1) {
  std::optional<std::string_view> found;
  if constexpr (S::is_windows) {
    found = detail::find_prefix_windows(p0.view(), p1.view());
  } else {
    found = detail::find_prefix_posix(p0.view(), p1.view());
  }
  if (!found) return std::nullopt;
  if (found->size() == p0.view().size()) return p0;
  return detail::make_path<S>(std::string(*found));
}

template <path_syntax S>
std::optional<basic_path<S>> rem_prefix(const basic_path<S>& prefix, const basic_path<S>& p) {
  const std::string_view pre = prefix.view();
  const std::string_view v = p.view();
  if (!detail::is_prefix_of<S::dir_sep_char>(pre, v) || pre.size() == v.size()) return std::nullopt;
  // The rest never begins with a separator.
  const std::string_view rest = v.substr(pre.size() + (v[pre.size()] == S::dir_sep_char ? 1 : 0));
  if (rest.empty()) return detail::make_path<S>(std::string(S::dot_dir));
  if (S::is_windows && rest.find(':') != rest.npos) return std::nullopt;  // it would read as a volume
  return detail::make_path<S>(std::string(rest));
}

template <path_syntax S>
std::optional<basic_path<S>> relativize(const basic_path<S>& root, const basic_path<S>& p) {
  std::optional<std::string> r;
  if constexpr (S::is_windows) {
    r = detail::relativize_windows(root.view(), p.view());
  } else {
    r = detail::relativize_posix(root.view(), p.view());
  }
  if (!r) return std::nullopt;
  return detail::make_path<S>(std::move(*r));
}

template <path_syntax S>
bool is_rooted(const basic_path<S>& root, const basic_path<S>& p) {
  const std::optional<basic_path<S>> r = relativize(root, p);
  return r && r->view() != ".." && !r->view().starts_with(S::dotdot_dir);
}

template <path_syntax S>
bool is_rel(const basic_path<S>& p) noexcept {
  if constexpr (S::is_windows) {
    return detail::is_rel_windows(p.view());
  } else {
    return p.view()[0] != '/';
  }
}

template <path_syntax S>
bool is_abs(const basic_path<S>& p) noexcept {
  return !is_rel(p);
}

template <path_syntax S>
bool is_root(const basic_path<S>& p) noexcept {
  if constexpr (S::is_windows) {
    return detail::windows_volume::is_root(p.view());
  } else {
    return detail::posix_volume::is_root(p.view());
  }
}

template <path_syntax S>
bool is_current_dir(const basic_path<S>& p, dir_options options) noexcept {
  if constexpr (S::is_windows) {
    return detail::is_current_dir_windows(p.view(), options.prefix);
  } else {
    return detail::is_current_dir_posix(p.view(), options.prefix);
  }
}

template <path_syntax S>
bool is_parent_dir(const basic_path<S>& p, dir_options options) noexcept {
  if constexpr (S::is_windows) {
    return detail::is_parent_dir_windows(p.view(), options.prefix);
  } else {
    return detail::is_parent_dir_posix(p.view(), options.prefix);
  }
}

template <path_syntax S>
bool is_dotfile(const basic_path<S>& p) {
  const std::string b = basename(p);
  return !b.empty() && b[0] == '.';
}

template <path_syntax S>
void dump(formatter& f, const basic_path<S>& p) {
  f.text(detail::dump(p.view()));
}

#define CORSO_INSTANTIATE(S)                                                                               \
  template CORSO_API bool is_prefix(const basic_path<S>&, const basic_path<S>&) noexcept;                  \
  template CORSO_API std::optional<basic_path<S>> find_prefix(const basic_path<S>&, const basic_path<S>&); \
  template CORSO_API std::optional<basic_path<S>> rem_prefix(const basic_path<S>&, const basic_path<S>&);  \
  template CORSO_API std::optional<basic_path<S>> relativize(const basic_path<S>&, const basic_path<S>&);  \
  template CORSO_API bool is_rooted(const basic_path<S>&, const basic_path<S>&);                           \
  template CORSO_API bool is_rel(const basic_path<S>&) noexcept;                                           \
  template CORSO_API bool is_abs(const basic_path<S>&) noexcept;                                           \
  template CORSO_API bool is_root(const basic_path<S>&) noexcept;                                          \
  template CORSO_API bool is_current_dir(const basic_path<S>&, dir_options) noexcept;                      \
  template CORSO_API bool is_parent_dir(const basic_path<S>&, dir_options) noexcept;                       \
  template CORSO_API bool is_dotfile(const basic_path<S>&);                                                \
  template CORSO_API void dump(formatter&, const basic_path<S>&);

CORSO_INSTANTIATE(posix_syntax)
CORSO_INSTANTIATE(windows_syntax)
#undef CORSO_INSTANTIATE

}  // namespace corso
