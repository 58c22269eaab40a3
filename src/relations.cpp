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

// A common prefix reaches past both volumes: paths on different volumes have
// none, and "/" is none of a path with the POSIX "//" volume and one without.
template <path_syntax S>
std::optional<std::string_view> find_prefix_of(std::string_view p0, std::string_view p1) noexcept {
  const std::optional<std::size_t> i = _prefix_last_index<S::dir_sep_char>(p0, p1);
  if (!i) return std::nullopt;
  if (*i < std::max(volume_of<S>(p0).volume.size(), volume_of<S>(p1).volume.size())) return std::nullopt;
  return p0.substr(0, *i + 1);
}

// The direct road when neither path has a "." or ".." segment, the plain one otherwise.
template <path_syntax S>
std::optional<std::string> relativize_rests(std::string_view root, std::string_view p) {
  constexpr char sep = S::dir_sep_char;
  if (!has_rel_seg<sep>(root) && !has_rel_seg<sep>(p)) return relativize_normal<S>(root, p);
  return _relativize<S>(root, p);
}

// The parts after the volumes go to the common body as they are.
template <path_syntax S>
std::optional<std::string> relativize_of(std::string_view root, std::string_view p) {
  const volume_split r = volume_of<S>(root);
  const volume_split q = volume_of<S>(p);
  // Windows paths on two volumes have no relation; the POSIX "//" volume
  // names no other place, so //a/ and /a/ relativize alike.
  if (S::is_windows && r.volume != q.volume) return std::nullopt;
  std::optional<std::string> result = relativize_rests<S>(r.rest, q.rest);
  // Windows only: a ':' in the rests is a plain byte there, but a result
  // holding one would read as a volume, and is no result.
  if (S::is_windows && result && find_byte(*result, ':') != std::string::npos) return std::nullopt;
  return result;
}

// p is "." or "./" ("..", "../") after its volume, or with `prefix` begins with it.
bool is_dir_of(std::string_view rest, std::string_view dir, std::string_view dir_sep, bool prefix) noexcept {
  return rest == dir || (prefix ? rest.starts_with(dir_sep) : rest == dir_sep);
}

}  // namespace
}  // namespace detail

template <path_syntax S>
bool is_prefix_fn::operator()(const basic_path<S>& prefix, const basic_path<S>& p) const noexcept {
  return detail::is_prefix_of<S::dir_sep_char>(prefix.view(), p.view());
}

template <path_syntax S>
std::optional<basic_path<S>> find_prefix_fn::operator()(const basic_path<S>& p0, const basic_path<S>& p1) const {
  const std::optional<std::string_view> found = detail::find_prefix_of<S>(p0.view(), p1.view());
  if (!found) return std::nullopt;
  if (found->size() == p0.view().size()) return p0;
  return detail::make_path<S>(std::string(*found));
}

template <path_syntax S>
std::optional<basic_path<S>> rem_prefix_fn::operator()(const basic_path<S>& prefix, const basic_path<S>& p) const {
  const std::string_view pre = prefix.view();
  const std::string_view v = p.view();
  if (!detail::is_prefix_of<S::dir_sep_char>(pre, v) || pre.size() == v.size()) return std::nullopt;
  // The rest never begins with a separator.
  const std::string_view rest = v.substr(pre.size() + (v[pre.size()] == S::dir_sep_char ? 1 : 0));
  if (rest.empty()) return detail::make_path<S>(std::string(S::dot_dir));
  if (S::is_windows && detail::find_byte(rest, ':') != rest.npos) return std::nullopt;  // it would read as a volume
  return detail::make_path<S>(std::string(rest));
}

template <path_syntax S>
std::optional<basic_path<S>> relativize_fn::operator()(const basic_path<S>& root, const basic_path<S>& p) const {
  std::optional<std::string> r = detail::relativize_of<S>(root.view(), p.view());
  if (!r) return std::nullopt;
  return detail::make_path<S>(std::move(*r));
}

template <path_syntax S>
bool is_rooted_fn::operator()(const basic_path<S>& root, const basic_path<S>& p) const {
  const std::optional<basic_path<S>> r = relativize(root, p);
  return r && r->view() != ".." && !r->view().starts_with(S::dotdot_dir);
}

template <path_syntax S>
bool is_rel_fn::operator()(const basic_path<S>& p) const noexcept {
  // A UNC volume is always followed by a separator.
  return detail::rest_for_first_bytes<S>(p.view())[0] != S::dir_sep_char;
}

template <path_syntax S>
bool is_abs_fn::operator()(const basic_path<S>& p) const noexcept {
  return !is_rel(p);
}

template <path_syntax S>
bool is_root_fn::operator()(const basic_path<S>& p) const noexcept {
  return detail::is_root_path<S>(p.view());
}

template <path_syntax S>
bool is_current_dir_fn::operator()(const basic_path<S>& p, dir_options options) const noexcept {
  return detail::is_dir_of(detail::rest_for_first_bytes<S>(p.view()), ".", S::dot_dir, options.prefix);
}

template <path_syntax S>
bool is_parent_dir_fn::operator()(const basic_path<S>& p, dir_options options) const noexcept {
  return detail::is_dir_of(detail::rest_for_first_bytes<S>(p.view()), "..", S::dotdot_dir, options.prefix);
}

template <path_syntax S>
bool is_dotfile_fn::operator()(const basic_path<S>& p) const {
  const std::string b = basename(p);
  return !b.empty() && b[0] == '.';
}

template <path_syntax S>
void dump(formatter& f, const basic_path<S>& p) {
  f.text(detail::dump(p.view()));
}

CORSO_RELATIONS_INSTANTIATIONS(template, posix_syntax)
CORSO_RELATIONS_INSTANTIATIONS(template, windows_syntax)

}  // namespace corso
