// Paths from outside: Windows names, locality, appending beneath a root,
// conversions between the syntaxes, volume kinds and verbatim forms.
#include "corso/untrusted.hpp"

#include <algorithm>
#include <array>

#include "corso/relations.hpp"
#include "corso/structure.hpp"
#include "normalize.hpp"
#include "segments.hpp"
#include "strings.hpp"
#include "volume.hpp"

namespace corso {
namespace detail {
namespace {

// The bytes Windows refuses in a name: controls and < > : " / \ | ? *.
constexpr std::array<bool, 256> forbidden_bytes = [] {
  std::array<bool, 256> table{};
  for (std::size_t c = 0; c < 0x20; ++c) table[c] = true;
  for (const char c : std::string_view("<>:\"/\\|?*")) table[static_cast<unsigned char>(c)] = true;
  return table;
}();

// True when s holds a byte of forbidden_bytes, other than Except when it is
// not NUL (a separator its caller splits on); sixteen bytes at a time where
// the machine has vector instructions. Most paths hold none, and then their
// segments need no search of their own.
template <char Except = '\0'>
bool has_forbidden_byte(std::string_view s) noexcept {
  const auto refused = [](char c) {
    return (Except == '\0' || c != Except) && forbidden_bytes[static_cast<unsigned char>(c)];
  };
  std::size_t i = 0;
#if CORSO_SIMD
  for (; i + 16 <= s.size(); i += 16) {
    const simd::bytes b = simd::bytes::load(s.data() + i);
    simd::bytes found = b.at_most(0x1F);
    for (const char c : std::string_view("<>:\"/\\|?*")) {
      if (Except == '\0' || c != Except) found = found | (b == c);
    }
    if (found.mask() != 0) return true;
  }
#endif
  return std::any_of(s.begin() + static_cast<std::ptrdiff_t>(i), s.end(), refused);
}

// The name before the first '.', without trailing spaces, names a device.
bool is_reserved_name(std::string_view seg) noexcept {
  // Every device name begins with con, com, prn, aux, nul or lpt: most names are ruled out here.
  // The three bytes, lowered, as one number.
  if (seg.size() < 3) return false;
  constexpr auto key = [](char a, char b, char c) {
    return static_cast<unsigned char>(ascii_lower(a)) | static_cast<unsigned char>(ascii_lower(b)) << 8 |
           static_cast<unsigned char>(ascii_lower(c)) << 16;
  };
  constexpr std::array<unsigned, 6> device_heads = {key('c', 'o', 'n'), key('c', 'o', 'm'), key('p', 'r', 'n'),
                                                    key('a', 'u', 'x'), key('n', 'u', 'l'), key('l', 'p', 't')};
  if (std::find(device_heads.begin(), device_heads.end(), key(seg[0], seg[1], seg[2])) == device_heads.end()) {
    return false;
  }
  std::string_view name = seg.substr(0, find_byte(seg, '.'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  // and is 3 to 7 bytes long.
  if (name.size() < 3 || name.size() > 7) return false;
  constexpr std::array<std::string_view, 6> devices = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  if (std::any_of(devices.begin(), devices.end(),
                  [&](std::string_view d) { return equal_ignoring_ascii_case(name, d); }))
    return true;
  const std::string_view port = name.substr(0, 3);
  if (!equal_ignoring_ascii_case(port, "com") && !equal_ignoring_ascii_case(port, "lpt")) return false;
  const std::string_view number = name.substr(3);
  // 1 to 9, or the UTF-8 bytes of the superscripts ¹, ² and ³.
  return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" || number == "\xC2\xB2" ||
         number == "\xC2\xB3";
}

// windows_name_fault, the bytes of seg searched only with check_bytes: its
// caller knows when none of them is refused.
std::optional<name_fault> name_fault_of(std::string_view seg, bool check_bytes) noexcept {
  if (seg.empty() || sub_is_rel_seg(seg)) return std::nullopt;
  if (check_bytes && has_forbidden_byte(seg)) return name_fault::forbidden_byte;
  if (seg.back() == '.' || seg.back() == ' ') return name_fault::trailing_dot_or_space;
  if (is_reserved_name(seg)) return name_fault::reserved_name;
  return std::nullopt;
}

// The first segment of v (split at Sep, the empty ones included) for which
// f gives a value, or nothing.
template <char Sep, class F>
auto first_of_segs(std::string_view v, F f) noexcept -> decltype(f(v)) {
  for (std::size_t start = 0; start <= v.size();) {
    const std::size_t end = std::min(find_byte(v, Sep, start), v.size());
    if (auto found = f(v.substr(start, end - start))) return found;
    start = end + 1;
  }
  return {};
}

// Why a path from outside may not go beneath a root, in the order checked.
enum class refusal : unsigned char { none, has_volume, is_absolute, refused_name, leaves_root };

struct verdict {
  refusal why = refusal::none;
  name_fault fault{};
};

// One pass over the segments of p (which has no volume): the first name
// Windows refuses, when names are checked, else whether the normal form
// would begin with "..". It does exactly when some ".." meets no named
// segment before it to cancel.
template <char Sep>
verdict judge_segments(std::string_view p, bool check_names) noexcept {
  std::size_t depth = 0;
  bool leaves = false;
  const bool check_bytes = check_names && has_forbidden_byte<Sep>(p);
  const std::optional<verdict> refused = first_of_segs<Sep>(p, [&](std::string_view seg) -> std::optional<verdict> {
    if (check_names) {
      if (const std::optional<name_fault> fault = name_fault_of(seg, check_bytes))
        return verdict{refusal::refused_name, *fault};
    }
    if (seg == "..") {
      leaves = leaves || depth == 0;
      depth -= depth != 0;
      // Without names to check, the first climb out decides.
      if (leaves && !check_names) return verdict{refusal::leaves_root, {}};
    } else if (!seg.empty() && seg != ".") {
      ++depth;
    }
    return std::nullopt;
  });
  if (refused) return *refused;
  return {leaves ? refusal::leaves_root : refusal::none, {}};
}

// Whether p can go after another path at all: not with a volume, nor absolute.
template <path_syntax S>
verdict judge_placement(const basic_path<S>& p) noexcept {
  if (has_volume<S>(p.view())) return {refusal::has_volume, {}};
  if (is_abs(p)) return {refusal::is_absolute, {}};
  return {};
}

template <path_syntax S>
verdict judge(const basic_path<S>& p, local_options options) noexcept {
  if (const verdict v = judge_placement(p); v.why != refusal::none) return v;
  return judge_segments<S::dir_sep_char>(p.view(), S::is_windows || options.windows_names);
}

// Why text, read as a path, was turned down, quoting it as it was given.
std::string refusal_message(std::string_view text, const verdict& v) {
  switch (v.why) {
    case refusal::has_volume:
      return message(text, "has a volume");
    case refusal::is_absolute:
      return message(text, "is absolute");
    case refusal::refused_name:
      return message(text, "holds a name Windows refuses (" + std::string(to_string(v.fault)) + ")");
    case refusal::leaves_root:
      return message(text, "leaves the root");
    case refusal::none:
      break;
  }
  return {};
}

// The first fault among the segments of rest, the part of a path after its volume.
template <char Sep>
std::optional<name_fault> first_name_fault(std::string_view rest) noexcept {
  const bool check_bytes = has_forbidden_byte<Sep>(rest);
  return first_of_segs<Sep>(rest, [&](std::string_view seg) { return name_fault_of(seg, check_bytes); });
}

// The body of both append_beneath: q read from `text`, which a refusal quotes.
template <path_syntax S>
result<basic_path<S>> append_beneath_quoting(const basic_path<S>& root, const basic_path<S>& q, std::string_view text,
                                             local_options options) {
  if (const verdict v = judge(q, options); v.why != refusal::none) return error(refusal_message(text, v));
  // normalize(append(to_dir_path(root), q)) in one buffer: q is relative
  // and has no volume, so it follows root and one separator.
  const std::string_view r = root.view();
  const std::string_view sep = r.back() == S::dir_sep_char ? std::string_view() : S::dir_sep;
  basic_path<S> joined = normalize(make_path<S>(concat({r, sep, q.view()})));
  // Windows only: the root \?? and the name ^ would make \??\^, in the NT namespace.
  if (S::is_windows && joined.view().starts_with(nt_prefix)) {
    std::string s = std::move(joined).to_string();
    keep_out_of_nt_namespace(s, r);
    return make_path<S>(std::move(s));
  }
  return joined;
}

}  // namespace
}  // namespace detail

std::string_view to_string(name_fault fault) noexcept {
  constexpr std::array<std::string_view, 3> names = {"forbidden-byte", "trailing-dot-or-space", "reserved-name"};
  const auto i = static_cast<std::size_t>(fault);
  return i < names.size() ? names[i] : std::string_view();
}

std::optional<name_fault> windows_name_fault(std::string_view seg) noexcept { return detail::name_fault_of(seg, true); }

template <path_syntax S>
bool is_local_fn::operator()(const basic_path<S>& p, local_options options) const noexcept {
  return detail::judge(p, options).why == detail::refusal::none;
}

template <path_syntax S>
result<basic_path<S>> append_beneath_fn::operator()(const basic_path<S>& root, const basic_path<S>& untrusted,
                                                    local_options options) const {
  return detail::append_beneath_quoting(root, untrusted, untrusted.view(), options);
}

template <path_syntax S>
result<basic_path<S>> detail::relative_path_of(std::string_view text) {
  result<basic_path<S>> p = basic_path<S>::of_string(text);
  if (!p) return p;
  if (const verdict v = judge_placement(*p); v.why != refusal::none) return error(refusal_message(text, v));
  return p;
}

template <path_syntax S>
result<basic_path<S>> append_beneath_fn::operator()(const basic_path<S>& root, std::string_view untrusted,
                                                    local_options options) const {
  result<basic_path<S>> q = basic_path<S>::of_string(untrusted);
  if (!q) return q;
  return detail::append_beneath_quoting(root, *q, untrusted, options);
}

std::optional<windows_path> to_windows_fn::operator()(const posix_path& p) const {
  if (detail::has_volume<posix_syntax>(p.view()) || detail::first_name_fault<'/'>(p.view())) return std::nullopt;
  std::string s = p.to_string();
  std::replace(s.begin(), s.end(), '/', '\\');
  return detail::make_path<windows_syntax>(std::move(s));
}

std::optional<posix_path> to_posix_fn::operator()(const windows_path& p) const {
  if (detail::has_volume<windows_syntax>(p.view())) return std::nullopt;
  std::string s = p.to_string();
  std::replace(s.begin(), s.end(), '\\', '/');
  return detail::make_path<posix_syntax>(std::move(s));
}

std::string_view to_string(windows_volume_kind kind) noexcept {
  constexpr std::array<std::string_view, 7> names = {"none",         "drive",    "unc",   "verbatim-drive",
                                                     "verbatim-unc", "verbatim", "device"};
  const auto i = static_cast<std::size_t>(kind);
  return i < names.size() ? names[i] : std::string_view();
}

windows_volume_kind volume_kind_fn::operator()(const windows_path& p) const noexcept {
  return detail::windows_volume_of<detail::volume_text::valid_path>(p.view()).kind;
}

std::optional<windows_path> to_verbatim_fn::operator()(const windows_path& p) const {
  using enum windows_volume_kind;
  const auto [kind, volume, rest] = detail::typed_volume_of(p.view());
  if (kind == verbatim_drive || kind == verbatim_unc || kind == verbatim) return p;
  if (kind == drive) {
    if (!detail::is_one_letter_drive(volume) || rest[0] != '\\') {
      return std::nullopt;
    }
  } else if (kind == unc) {
    for (const std::string_view name : detail::server_and_share(volume.substr(2))) {
      if (detail::sub_is_rel_seg(name)) return std::nullopt;
    }
  } else {
    return std::nullopt;
  }
  const windows_path n = normalize(p);
  if (detail::first_name_fault<'\\'>(detail::volume_of<windows_syntax>(n.view()).rest)) return std::nullopt;
  // \\srv\sh\x becomes \\?\UNC\srv\sh\x: the UNC volume loses one of its separators.
  return detail::make_path<windows_syntax>(kind == drive ? detail::concat({"\\\\?\\", n.view()})
                                                         : detail::concat({"\\\\?\\UNC", n.view().substr(1)}));
}

std::optional<windows_path> of_verbatim_fn::operator()(const windows_path& p) const {
  using enum windows_volume_kind;
  const auto [kind, volume, rest] = detail::typed_volume_of(p.view());
  if (kind != verbatim_drive && kind != verbatim_unc && kind != verbatim) return p;
  std::string plain;
  if (kind == verbatim_drive) {
    // \\?\C: => C:
    const std::string_view drive = volume.substr(4);
    if (!detail::is_one_letter_drive(drive)) return std::nullopt;
    plain = detail::concat({drive, rest});
  } else if (kind == verbatim_unc) {
    // \\?\UNC\srv\sh => \\srv\sh
    const std::string_view names = volume.substr(8);
    const auto [server, share] = detail::server_and_share(names);
    if (server == "?" || detail::sub_is_rel_seg(server) || detail::sub_is_rel_seg(share)) return std::nullopt;
    plain = detail::concat({"\\\\", names, rest});
  } else {
    return std::nullopt;
  }
  const auto unsafe = [](std::string_view seg) { return detail::sub_is_rel_seg(seg) || windows_name_fault(seg); };
  if (detail::first_of_segs<'\\'>(rest, unsafe) || plain.size() > 259) return std::nullopt;
  return detail::make_path<windows_syntax>(std::move(plain));
}

template CORSO_API result<posix_path> detail::relative_path_of<posix_syntax>(std::string_view);
template CORSO_API result<windows_path> detail::relative_path_of<windows_syntax>(std::string_view);
CORSO_UNTRUSTED_INSTANTIATIONS(template, posix_syntax)
CORSO_UNTRUSTED_INSTANTIATIONS(template, windows_syntax)

}  // namespace corso
