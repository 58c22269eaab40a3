// Every public operation on one or two paths and a string drawn from the
// input, held to what must hold for all inputs. The input is a flag byte
// (bit 0: the Windows syntax), two length bytes, then the first path's
// bytes, the second path's, and the string. Whatever the flag, texts with
// no Windows meaning must get the same answers under both syntaxes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "check.hpp"

namespace {

using corso::fuzz::require;
using corso::fuzz::require_valid;

// An answer given as a view: empty, or bytes of the path where they lie.
bool in_path(std::string_view view, std::string_view path) {
  return view.empty() || (view.data() >= path.data() && view.data() + view.size() <= path.data() + path.size());
}

template <corso::path_syntax S>
bool has_volume(const corso::basic_path<S>& p) {
  return !corso::split_volume(p).first.empty();
}

// An extension or segment is refused exactly when it is not a segment, or
// under Windows holds a ':' that a path without a volume would take for one.
template <corso::path_syntax S>
bool refused(std::string_view text, const corso::basic_path<S>& p) {
  return !corso::is_seg<S>(text) || (S::is_windows && text.find(':') != text.npos && !has_volume(p));
}

// normalize(p) as relativization reads it: without the "." that a Windows
// normal form keeps in front of a \??\ that p did not begin with.
template <corso::path_syntax S>
corso::basic_path<S> normal_segs_form(const corso::basic_path<S>& p) {
  const corso::basic_path<S> n = corso::normalize(p);
  if (!S::is_windows || !n.view().starts_with(R"(\.\??\)")) return n;
  return corso::basic_path<S>::v(std::string(n.view()).erase(1, 2));
}

// f(), or nothing when it throws std::invalid_argument.
template <class F>
auto maybe(F&& f) -> std::optional<decltype(f())> {
  try {
    return f();
  } catch (const std::invalid_argument&) {
    return std::nullopt;
  }
}

template <corso::path_syntax S>
void structure(const corso::basic_path<S>& a, const corso::basic_path<S>& b, std::string_view c) {
  using namespace corso;
  const std::string_view v = a.view();
  const auto [volume, rest] = split_volume(a);
  require(volume + rest == v, "split_volume puts back together", v);
  std::string back;
  const auto parts = segs(a);
  for (std::size_t i = 0; i < parts.size(); ++i) back += (i ? std::string(S::dir_sep) : std::string()) + parts[i];
  require(back == (S::is_windows ? rest : std::string(v.substr(volume.size()))), "segs put back together", v);

  const auto added = maybe([&] { return add_seg(a, c); });
  require(added.has_value() == !refused<S>(c, a), "add_seg refuses exactly the segments that would break the path", c);
  if (added) {
    require_valid(*added);
    require((a / c) == *added, "operator/ is add_seg");
  }
  if (!is_seg<S>(c)) {
    // Other text is a relative path without a volume, appended; or it throws.
    const auto slashed = maybe([&] { return a / c; });
    const auto q = basic_path<S>::of_string(c);
    const bool relative = q && is_rel(*q) && split_volume(*q).first.empty();
    require(slashed.has_value() == relative, "operator/ takes exactly the relative text", c);
    if (slashed) require(*slashed == append(a, *q), "operator/ appends the relative text", c);
  }
  const basic_path<S> appended = append(a, b);
  require_valid(appended);
  require((a / b) == appended, "operator/ is append");
  const basic_path<S> dir = to_dir_path(a);
  require_valid(dir);
  require(is_dir_path(dir) && is_file_path(a) != is_dir_path(a), "to_dir_path gives a directory path", v);
  require(filename(a).find(S::dir_sep_char) == std::string::npos, "a file name holds no separator", v);
  require(in_path(filename_view(a), v) && in_path(corso::basename_view(a), v), "the views lie in the path", v);
  require(corso::basename(a).find(S::dir_sep_char) == std::string::npos, "a base name holds no separator", v);
  if (const auto split = maybe([&] { return split_base(a); })) {
    require_valid(split->first);
    require_valid(split->second);
    require(is_dir_path(split->second) == is_dir_path(a), "the base keeps the directory-ness", v);
    require(base(a) == split->second, "base is the second part of split_base", v);
  } else {
    require(S::is_windows, "split_base refuses only a Windows base holding ':'", v);
  }
  const basic_path<S> up = parent(a);
  require_valid(up);
  require(is_dir_path(up), "a parent is a directory path", v);
  require(split_volume(up).first == volume, "a parent keeps the volume", v);
  const basic_path<S> trimmed = rem_empty_seg(a);
  require_valid(trimmed);
  require(trimmed == a || trimmed.to_string() + std::string(S::dir_sep) == a.to_string(),
          "rem_empty_seg drops one separator", v);

  const basic_path<S> n = normalize(a);
  require_valid(n);
  require(normalize(n) == n, "normalize is idempotent", v);
  require(is_dir_path(n) == is_dir_path(a), "normalize keeps the directory-ness", v);
  require(split_volume(n).first == volume, "normalize keeps the volume", v);
  require(normalize(basic_path<S>(a)) == n, "normalize of an rvalue is normalize", v);
  if constexpr (S::is_windows) {
    require(!n.view().starts_with(R"(\??\)") || v.starts_with(R"(\??\)"), "normalize adds no NT prefix", v);
  }
}

template <corso::path_syntax S>
void relations(const corso::basic_path<S>& a, const corso::basic_path<S>& b) {
  using namespace corso;
  const std::string detail = a.to_string() + " | " + b.to_string();
  const bool prefix = is_prefix(a, b);
  const auto removed = rem_prefix(a, b);
  if (removed) {
    require(prefix && a != b, "rem_prefix removes only a proper prefix", detail);
    require_valid(*removed);
    require(is_rel(*removed), "the rest of rem_prefix is relative", detail);
  } else if (prefix && a != b) {
    // The one refusal: under Windows, a rest holding a ':' would read as a volume.
    const std::string_view whole = b.view();
    const std::size_t k = a.view().size() + (whole[a.view().size()] == S::dir_sep_char ? 1 : 0);
    require(S::is_windows && whole.substr(k).find(':') != whole.npos, "rem_prefix removes every proper prefix", detail);
  }
  if (const auto found = find_prefix(a, b)) {
    require_valid(*found);
    require(is_prefix(*found, a) && is_prefix(*found, b), "find_prefix finds a prefix of both", detail);
  }
  require(find_prefix(a, a) == a, "a path is its own longest common prefix", a.view());

  const auto r = relativize(a, b);
  const bool rooted = is_rooted(a, b);
  require(rooted == (r && r->view() != ".." && !r->view().starts_with(S::dotdot_dir)), "is_rooted follows relativize",
          detail);
  if (!r) return;
  require_valid(*r);
  require(is_rel(*r), "relativize gives a relative path", detail);
  // Relativization does not compare the POSIX "//" volume: //a/ and /a/ are alike to it.
  if (!S::is_windows && has_volume(a) != has_volume(b)) return;
  require(normal_segs_form(append(normalize(a), *r)) == normal_segs_form(b),
          "the root and the relative path give the path", detail);
  if (rooted && is_abs(a)) {
    require(is_prefix(to_dir_path(normal_segs_form(a)), to_dir_path(normal_segs_form(b))),
            "a rooted path stays inside its root", detail);
  }
}

template <corso::path_syntax S>
void predicates(const corso::basic_path<S>& a, const corso::basic_path<S>& b) {
  using namespace corso;
  const std::string_view v = a.view();
  require(is_rel(a) != is_abs(a), "is_abs is the negation of is_rel", v);
  if (is_root(a)) require(is_dir_path(a) && parent(a) == a && is_abs(a), "a root is its own parent", v);
  require(!is_current_dir(a) || is_current_dir(a, {.prefix = true}), "the prefix form of is_current_dir is wider", v);
  require(!is_parent_dir(a) || is_parent_dir(a, {.prefix = true}), "the prefix form of is_parent_dir is wider", v);
  const std::string name = corso::basename(a);
  require(is_dotfile(a) == (!name.empty() && name[0] == '.'), "is_dotfile reads the base name", v);
  require(equal(a, b) == (a.view() == b.view()), "equal compares bytes");
  const int c = compare(a, b);
  require(c == -compare(b, a) && (c == 0) == equal(a, b), "compare is an order");
  require(to_string(a) == v, "to_string gives the bytes", v);
  require(print_to_string([&](formatter& f) { pp(f, a); }) == v, "pp prints the bytes", v);
}

template <corso::path_syntax S>
void extensions(const corso::basic_path<S>& a, std::string_view c) {
  using namespace corso;
  const std::string_view v = a.view();
  for (const ext_options o : {ext_options{}, ext_options{.multi_ext = true}}) {
    const std::string e = get_ext(a, o);
    require(in_path(get_ext_view(a, o), v) && in_path(stem_view(a, o), v), "the views lie in the path", v);
    if (!o.multi_ext) require(exists_ext(a) == !e.empty(), "exists_ext says whether there is an extension", v);
    const auto [kept, split] = split_ext(a, o);
    require_valid(kept);
    require(split == e && kept == rem_ext(a, o), "split_ext is rem_ext and get_ext", v);
    require(is_dir_path(kept) == is_dir_path(a), "removing an extension keeps the directory-ness", v);
    if (!e.empty()) require(add_ext(e, kept) == a, "the removed extension added back gives the path", v);
  }
  if (has_ext(c, a)) require(get_ext(a, {.multi_ext = true}).ends_with(c), "has_ext matches the multiple extension", v);
  require(mem_ext({c, std::string_view("x")}, a) == (has_ext(c, a) || has_ext("x", a)), "mem_ext is has_ext of some",
          v);

  const auto added = maybe([&] { return add_ext(c, a); });
  require(added.has_value() == (c.empty() || !refused<S>(c, a)), "add_ext refuses exactly the bad extensions", c);
  if (added) {
    require_valid(*added);
    require(maybe([&] { return a + c; }) == added, "operator+ is add_ext", c);
    const std::string name = corso::basename(a);
    // A name of dots only takes an extension without having one afterwards (... + x is ....x).
    if (*added != a && !c.empty() && c.find('.') == c.npos && name.find_first_not_of('.') != name.npos) {
      require(rem_ext(*added) == a, "add_ext then rem_ext gives the path back", v);
    }
  }
  for (const ext_options o : {ext_options{}, ext_options{.multi_ext = true}}) {
    const auto set = maybe([&] { return set_ext(c, a, o); });
    require(set.has_value() == (c.empty() || !refused<S>(c, a)), "set_ext refuses exactly the bad extensions", c);
    if (set) require_valid(*set);
    if (!o.multi_ext) require(maybe([&] { return a % c; }) == set, "operator% is set_ext", c);
  }
}

// Paths from outside: append_beneath refuses, or gives a path rooted in its
// root; the conversions go there and back; the verbatim form comes back as
// the normal one.
template <corso::path_syntax S>
void untrusted(const corso::basic_path<S>& a, const corso::basic_path<S>& b, std::string_view c) {
  using namespace corso;
  const std::string detail = a.to_string() + " | " + b.to_string();
  for (const local_options o : {local_options{}, local_options{.windows_names = true}}) {
    const auto r = append_beneath(a, b, o);
    require(r.has_value() == is_local(b, o), "append_beneath takes exactly the local paths", detail);
    if (r) {
      require_valid(*r);
      require(is_rooted(a, *r), "append_beneath stays in its root", detail);
      std::string joined = normalize(append(to_dir_path(a), b)).to_string();
      // Under Windows a root that does not begin with \??\ gives no result that does: \?? and x give \.\??\x.
      if (S::is_windows && joined.starts_with("\\??\\") && !a.view().starts_with("\\??\\")) joined.insert(1, ".\\");
      require(r->view() == joined, "append_beneath appends and normalizes", detail);
    }
    const auto t = append_beneath(a, c, o);  // any text: never throws
    if (t) require(is_rooted(a, *t), "append_beneath stays in its root", c);
  }
  if constexpr (S::is_windows) {
    require(!append_beneath(a, b).has_value() || a.view().starts_with("\\??\\") ||
                !append_beneath(a, b)->view().starts_with("\\??\\"),
            "append_beneath never enters the NT namespace", detail);
    if (const auto p = to_posix(a))
      require(to_windows(*p) == a || !to_windows(*p), "to_posix keeps the segments", a.view());
    const auto v = to_verbatim(a);
    if (v) require_valid(*v);
    const auto kind = volume_kind(a);
    const bool verbatim = kind == windows_volume_kind::verbatim_drive || kind == windows_volume_kind::verbatim_unc ||
                          kind == windows_volume_kind::verbatim;
    if (v && !verbatim) {
      if (const auto back = of_verbatim(*v)) require(*back == normalize(a), "the verbatim form comes back", a.view());
    }
    if (const auto plain = of_verbatim(a)) require_valid(*plain);
  } else {
    if (const auto w = to_windows(a)) {
      require_valid(*w);
      require(to_posix(*w) == a, "to_windows then to_posix gives the path back", a.view());
    }
  }
}

// File URIs: every URI comes back as its path (a verbatim one as its plain
// form), and no URI whose bytes decode to a NUL is taken.
template <corso::path_syntax S>
void file_uris(const corso::basic_path<S>& a, std::string_view c) {
  using namespace corso;
  if (const auto uri = to_file_uri(a)) {
    const auto back = of_file_uri<S>(*uri);
    require(back.has_value(), "of_file_uri takes what to_file_uri gives", *uri);
    basic_path<S> expected = a;
    if constexpr (S::is_windows) {
      if (const auto plain = of_verbatim(a)) expected = *plain;
    }
    require(*back == expected, "a file URI comes back as its path", *uri);
  }
  const auto taken = of_file_uri<S>(c);
  if (!taken) return;
  require_valid(*taken);
  bool nul = c.find('\0') != c.npos;
  for (std::size_t i = c.find("%00"); i != c.npos; i = c.find("%00", i + 1)) nul = true;
  require(!nul, "of_file_uri takes no NUL byte", c);
}

template <corso::path_syntax S>
void run(std::string_view x, std::string_view y, std::string_view c) {
  const auto a = corso::basic_path<S>::of_string(x);
  const auto b = corso::basic_path<S>::of_string(y);
  if (!a || !b) return;
  structure(*a, *b, c);
  relations(*a, *b);
  relations(*a, corso::append(*a, *b));
  predicates(*a, *b);
  extensions(*a, c);
  untrusted(*a, *b, c);
  file_uris(*a, c);
}

// Texts on which the syntaxes cannot differ: no '\\' and no ':' (so no
// Windows volume, and no byte that POSIX keeps but Windows reads), no
// leading "//" (a volume in both, of other kinds) and no segment "??".
bool same_under_both(std::string_view t) {
  if (t.find_first_of("\\:") != t.npos || t.starts_with("//")) return false;
  for (std::size_t start = 0;;) {
    const std::size_t end = t.find('/', start);
    if (t.substr(start, end == t.npos ? t.npos : end - start) == "??") return false;
    if (end == t.npos) return true;
    start = end + 1;
  }
}

// A result as text, with POSIX separators written the Windows way, so that
// the answers of the two syntaxes compare.
std::string text(std::string s) {
  std::replace(s.begin(), s.end(), '/', '\\');
  return s;
}
std::string text(bool b) { return b ? "true" : "false"; }
template <corso::path_syntax S>
std::string text(const corso::basic_path<S>& p) {
  return text(p.to_string());
}
template <class A, class B>
std::string text(const std::pair<A, B>& p) {
  return text(p.first) + " | " + text(p.second);
}
std::string text(const std::vector<std::string>& v) {
  std::string out = "[";
  for (const std::string& s : v) out += text(s) + ",";
  return out + "]";
}
template <class T>
std::string text(const std::optional<T>& o) {
  return o ? "some " + text(*o) : "none";
}

// On texts with no Windows meaning, every operation that neither orders
// paths nor checks Windows names answers under the Windows syntax what it
// answers under POSIX, with '/' written '\\'.
void same_answers(std::string_view x, std::string_view y, std::string_view c) {
  using namespace corso;
  if (!same_under_both(x) || !same_under_both(y) || !same_under_both(c)) return;
  const auto pa = posix_path::of_string(x);
  const auto pb = posix_path::of_string(y);
  const auto wa = windows_path::of_string(x);
  const auto wb = windows_path::of_string(y);
  require(pa.has_value() == wa.has_value() && pb.has_value() == wb.has_value(), "both syntaxes parse alike", x);
  if (!pa || !pb) return;
  const std::string detail = std::string(x) + " | " + std::string(y) + " | " + std::string(c);
  const auto both = [&](const char* what, const auto& f) {
    require(text(f(*pa, *pb)) == text(f(*wa, *wb)), what, detail);
  };
  both("of_string", [](const auto& a, const auto&) { return a; });
  both("add_seg", [&](const auto& a, const auto&) { return maybe([&] { return add_seg(a, c); }); });
  both("slash", [&](const auto& a, const auto&) { return maybe([&] { return a / c; }); });
  both("append", [](const auto& a, const auto& b) { return append(a, b); });
  both("split_volume", [](const auto& a, const auto&) { return split_volume(a); });
  both("segs", [](const auto& a, const auto&) { return segs(a); });
  both("is_dir_path", [](const auto& a, const auto&) { return is_dir_path(a); });
  both("to_dir_path", [](const auto& a, const auto&) { return to_dir_path(a); });
  both("filename", [](const auto& a, const auto&) { return filename(a); });
  both("split_base", [](const auto& a, const auto&) { return maybe([&] { return split_base(a); }); });
  both("basename", [](const auto& a, const auto&) { return corso::basename(a); });
  both("parent", [](const auto& a, const auto&) { return parent(a); });
  both("rem_empty_seg", [](const auto& a, const auto&) { return rem_empty_seg(a); });
  both("normalize", [](const auto& a, const auto&) { return normalize(a); });
  both("is_prefix", [](const auto& a, const auto& b) { return is_prefix(a, b); });
  both("find_prefix", [](const auto& a, const auto& b) { return find_prefix(a, b); });
  both("rem_prefix", [](const auto& a, const auto& b) { return rem_prefix(a, b); });
  both("relativize", [](const auto& a, const auto& b) { return relativize(a, b); });
  both("is_rooted", [](const auto& a, const auto& b) { return is_rooted(a, b); });
  both("is_rel", [](const auto& a, const auto&) { return is_rel(a); });
  both("is_root", [](const auto& a, const auto&) { return is_root(a); });
  both("is_current_dir", [](const auto& a, const auto&) { return is_current_dir(a, {.prefix = true}); });
  both("is_parent_dir", [](const auto& a, const auto&) { return is_parent_dir(a, {.prefix = true}); });
  both("is_dotfile", [](const auto& a, const auto&) { return is_dotfile(a); });
  for (const ext_options o : {ext_options{}, ext_options{.multi_ext = true}}) {
    both("get_ext", [&](const auto& a, const auto&) { return get_ext(a, o); });
    both("exists_ext", [&](const auto& a, const auto&) { return exists_ext(a, o); });
    both("rem_ext", [&](const auto& a, const auto&) { return rem_ext(a, o); });
    both("split_ext", [&](const auto& a, const auto&) { return split_ext(a, o); });
    both("set_ext", [&](const auto& a, const auto&) { return maybe([&] { return set_ext(c, a, o); }); });
  }
  both("has_ext", [&](const auto& a, const auto&) { return has_ext(c, a); });
  both("add_ext", [&](const auto& a, const auto&) { return maybe([&] { return add_ext(c, a); }); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::size_t na = std::min<std::size_t>(data[1], size - 3);
  const std::size_t nb = std::min<std::size_t>(data[2], size - 3 - na);
  const std::string_view x = in.substr(3, na);
  const std::string_view y = in.substr(3 + na, nb);
  const std::string_view c = in.substr(3 + na + nb);
  if (data[0] & 1) {
    run<corso::windows_syntax>(x, y, c);
  } else {
    run<corso::posix_syntax>(x, y, c);
  }
  same_answers(x, y, c);
  return 0;
}
