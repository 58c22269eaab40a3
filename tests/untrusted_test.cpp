// Paths from outside: Windows names, locality, appending beneath a root,
// conversions between the syntaxes, volume kinds and verbatim forms.
#include <gtest/gtest.h>

#include "test_util.hpp"

namespace corso::test {
namespace {

using namespace std::string_literals;

// The fault as the tool prints it, or "-".
std::string fault_of(std::string_view seg) {
  const auto f = windows_name_fault(seg);
  return f ? std::string(to_string(*f)) : "-";
}

// The path, or the message of the refusal.
template <path_syntax S>
std::string outcome(const result<basic_path<S>>& r) {
  return r ? r->to_string() : r.error().message();
}

TEST(WindowsNameFault, ForbiddenBytesThenTrailingDotsThenReservedNames) {
  const struct {
    std::string in;
    const char* fault;
  } cases[] = {
      {"", "-"},
      {".", "-"},
      {"..", "-"},
      {"a", "-"},
      {"a b.c", "-"},
      {"a\x7f", "-"},  // DEL is allowed
      {"\xc3\xa9t\xc3\xa9", "-"},
      {"a:b", "forbidden-byte"},
      {"a\x1f", "forbidden-byte"},
      {"\0"s, "forbidden-byte"},
      {"CON:", "forbidden-byte"},  // the byte is found first
      {"...", "trailing-dot-or-space"},
      {"a.", "trailing-dot-or-space"},
      {"a ", "trailing-dot-or-space"},
      {"CON.", "trailing-dot-or-space"},
      {"CON", "reserved-name"},
      {"con", "reserved-name"},
      {"CON.txt", "reserved-name"},
      {"CON .txt", "reserved-name"},
      {"NUL.tar.gz", "reserved-name"},
      {"Aux", "reserved-name"},
      {"prn.x", "reserved-name"},
      {"COM1", "reserved-name"},
      {"lpt9.log", "reserved-name"},
      {"CONIN$", "reserved-name"},
      {"conout$.x", "reserved-name"},
      {"COM\xc2\xb9", "reserved-name"},  // COM¹
      {"lpt\xc2\xb2.txt", "reserved-name"},
      {"COM\xc2\xb3", "reserved-name"},
      {"CONx", "-"},
      {"COM0", "-"},
      {"COM10", "-"},
      {".CON", "-"},
      {"COM", "-"},
      {"COM\xe2\x81\xb4", "-"},  // COM⁴: only ¹, ² and ³ count
      {"NULL", "-"},
      {"x CON", "-"},
  };
  for_each_row(cases, [](const auto& c) { EXPECT_EQ(fault_of(c.in), c.fault); });
  for (const char c : std::string_view("<>:\"/\\|?*")) EXPECT_EQ(fault_of("a"s + c + "b"), "forbidden-byte") << c;
}

// The rules as plainly written, against which the quick rejections of the
// library are held.
std::string plain_fault(const std::string& seg) {
  if (seg.empty() || seg == "." || seg == "..") return "-";
  for (const char c : seg) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
      return "forbidden-byte";
    }
  }
  if (seg.back() == '.' || seg.back() == ' ') return "trailing-dot-or-space";
  std::string name = seg.substr(0, seg.find('.'));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::vector<std::string> devices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* port : {"COM", "LPT"}) {
    for (const char* n : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "\xc2\xb9", "\xc2\xb2", "\xc2\xb3"}) {
      devices.push_back(std::string(port) + n);
    }
  }
  return std::find(devices.begin(), devices.end(), name) != devices.end() ? "reserved-name" : "-";
}

TEST(WindowsNameFault, AgreesWithThePlainRulesOverGeneratedNames) {
  std::mt19937 rng(16);
  const char* const pieces[] = {"CON", "con", "COM", "lpt", "Nul", "aUx", "PRN", "CONIN$", "conout$", "CO", "x", "1",
                                "0", "9", "10", "\xc2\xb9", "\xc2\xb3", "\xe2\x81\xb4", " ", ".", ".txt", " .x", ":",
                                "\x01", "$", "", "\xc2",
                                // Long names for the sixteen-byte steps, and bytes above 0x7F.
                                "\xff", "a-longer-name-piece"};
  int reserved = 0;
  for (int i = 0; i < 50000; ++i) {
    std::string name;
    for (std::size_t k = rng() % 4; k > 0; --k) name += pieces[rng() % std::size(pieces)];
    ASSERT_EQ(fault_of(name), plain_fault(name)) << detail::dump(name);
    reserved += fault_of(name) == "reserved-name";
  }
  EXPECT_GT(reserved, 1000);
}

TEST(IsLocal, RelativeWithoutVolumeAndNeverClimbing) {
  const struct {
    const char* p;
    bool local;
    bool local_with_names;  // {.windows_names = true}, which Windows always has
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"a", true, true},
      {"a/b/", true, true},
      {".", true, true},
      {"./", true, true},
      {"a/..", true, true},
      {"a/../b", true, true},
      {"a/./b/../c", true, true},
      {"..", false, false},
      {"../a", false, false},
      {"a/../..", false, false},
      {"a/../../b", false, false},
      {"./../a", false, false},
      {"a/b/../../..", false, false},
      {"/a", false, false},
      {"/", false, false},
      {"//a", false, false, posix_only},
      {"a\\b", true, false, posix_only},
      {"NUL", true, false, posix_only},
      {"a:b", true, false, posix_only},
      {"x/con.txt", true, false, posix_only},
      {"C:a", false, false, windows_only},
      {R"(a\b:c)", false, false, windows_only},
      {"NUL", false, false, windows_only},
      {R"(x\con.txt)", false, false, windows_only},
      {R"(CON\..\a)", false, false, windows_only},  // as written, not normalized
      {R"(a.\b)", false, false, windows_only},
      {R"(\\srv\sh\a)", false, false, windows_only},
      {R"(\\?\C:\a)", false, false, windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    EXPECT_EQ(is_local(s.path(row.p)), row.local);
    EXPECT_EQ(is_local(s.path(row.p), {.windows_names = true}), row.local_with_names);
  });
}

// is_local by its definition, over generated paths: the one pass agrees.
template <path_syntax S>
void check_is_local(const basic_path<S>& p) {
  SCOPED_TRACE(p.to_string());
  const std::string n = normalize(p).to_string();
  const bool climbs = n == ".." || n.starts_with(S::dotdot_dir);
  const std::vector<std::string> ss = segs(p);
  const bool names_ok = std::none_of(ss.begin(), ss.end(), [](const std::string& x) { return windows_name_fault(x); });
  const bool plain = is_rel(p) && split_volume(p).first.empty() && !climbs;
  EXPECT_EQ(is_local(p), plain && (names_ok || !S::is_windows));
  EXPECT_EQ(is_local(p, {.windows_names = true}), plain && names_ok);
}

TEST(IsLocal, AgreesWithItsDefinitionOverGeneratedPaths) {
  path_generator gen(12);
  for (int i = 0; i < 5000; ++i) {
    if (auto p = posix_path::of_string(gen.posix())) check_is_local(*p);
    if (auto p = windows_path::of_string(gen.windows())) check_is_local(*p);
  }
}

TEST(AppendBeneath, GivesARootedPathOrSaysWhy) {
  const struct {
    const char* a;  // the root
    const char* b;  // the untrusted text
    answer out;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"/srv/www", "img/a.png", "/srv/www/img/a.png"},
      {"/srv/www/", "a/../b/", "/srv/www/b/"},
      {"/srv/www/", ".", "/srv/www/"},
      {"/srv/www/", "a//b", "/srv/www/a/b"},
      {"srv", "a", "srv/a"},
      {"/srv/www/", "", R"("": invalid path)"},
      // A refusal quotes the caller's text as it was given.
      {"/srv/www/", "/etc/passwd", {R"("/etc/passwd": is absolute)", R"("/etc/passwd": is absolute)"}},
      {"/srv/www/", "../x", {R"("../x": leaves the root)", R"("../x": leaves the root)"}},
      {"/srv/www/", "a/../../x", {R"("a/../../x": leaves the root)", R"("a/../../x": leaves the root)"}},
      {"/srv/www/", "//h/s/x", R"("//h/s/x": has a volume)", posix_only},
      {"/srv/www/", "a\\b", "/srv/www/a\\b", posix_only},
      {"/srv/www/", "NUL", "/srv/www/NUL", posix_only},
      {R"(C:\srv\)", R"(a\..\b)", R"(C:\srv\b)", windows_only},
      {R"(C:\srv\)", R"(\NUL)", R"("\\NUL": is absolute)", windows_only},
      {R"(C:\srv\)", R"(..\CON)", R"("..\\CON": holds a name Windows refuses (reserved-name))", windows_only},
      {R"(C:\srv\)", "x/NUL", {"-", R"("x/NUL": holds a name Windows refuses (reserved-name))"}, windows_only},
      {R"(C:\srv\)", "a.txt:s", R"("a.txt:s": has a volume)", windows_only},
      {R"(C:\srv\)", "D:x", R"("D:x": has a volume)", windows_only},
      {R"(C:\srv\)", R"(\\evil\share\x)", R"("\\\\evil\\share\\x": has a volume)", windows_only},
      {R"(C:\srv\)", "a. ", R"("a. ": holds a name Windows refuses (trailing-dot-or-space))", windows_only},
      {R"(C:\srv\)", "C:", R"("C:": invalid path)", windows_only},
      // '?' is a forbidden byte, so no untrusted text can reach the NT namespace \??\.
      {"\\", R"(??\x)", R"("??\\x": holds a name Windows refuses (forbidden-byte))", windows_only},
      {R"(\??\C:\)", "x", R"(\??\C:\x)", windows_only},
      {R"(\??)", "^", R"(\.\??\^)", windows_only},  // the root does not begin with \??\: the result does not either
      {R"(\a\..\??\)", "x", R"(\.\??\x)", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    const auto root = s.path(row.a);
    EXPECT_EQ(outcome(append_beneath(root, row.b)), s.want(row.out));
    if (const auto q = decltype(root)::of_string(row.b)) {
      const auto r = append_beneath(root, *q);
      EXPECT_EQ(r.has_value(), append_beneath(root, row.b).has_value());
      if (r) {
        EXPECT_EQ(*r, *append_beneath(root, row.b));
      }
    }
  });
  EXPECT_EQ(outcome(append_beneath(px("/srv/"), "a\\b", {.windows_names = true})),
            R"("a\\b": holds a name Windows refuses (forbidden-byte))");
  EXPECT_EQ(outcome(append_beneath(px("/srv/"), "../NUL", {.windows_names = true})),
            R"("../NUL": holds a name Windows refuses (reserved-name))");
}

// The inputs of advisories against the peers' one-call joins: each is refused.
TEST(AppendBeneath, RefusesTheInputsOfPastAdvisories) {
  const struct {
    const char* a;
    const char* b;
    answer out;
    syntaxes only = syntaxes::both;
  } rows[] = {
      // Go CVE-2025-22873: os.Root opened its parent through a name ending in ../.
      {"/srv/", "../", {R"("../": leaves the root)", R"("../": leaves the root)"}},
      {"/srv/", "a/../../", {R"("a/../../": leaves the root)", R"("a/../../": leaves the root)"}},
      // Go CVE-2023-45284: reserved names with trailing spaces or superscript digits.
      {R"(C:\srv\)", "COM1 ", R"("COM1 ": holds a name Windows refuses (trailing-dot-or-space))", windows_only},
      {R"(C:\srv\)",
       "a/COM\xc2\xb9.txt",
       {"-", R"("a/COM\xc2\xb9.txt": holds a name Windows refuses (reserved-name))"},
       windows_only},
      // Go CVE-2023-45283: the NT namespace prefix \??\.
      {"\\", R"(??\c:\x)", R"("??\\c:\\x": has a volume)", windows_only},
      // werkzeug CVE-2024-49766: a UNC path taken for a relative one.
      {R"(C:\srv\)", "//server/share/x", {"-", R"("//server/share/x": has a volume)"}, windows_only},
      // werkzeug's later advisories: device names, the last in example/NUL.
      {R"(C:\srv\)",
       "example/NUL",
       {"-", R"("example/NUL": holds a name Windows refuses (reserved-name))"},
       windows_only},
      // Node CVE-2025-27210 and CVE-2025-23084: device names and drives inside a join.
      {R"(C:\srv\)", "CON:../../x", {"-", R"("CON:../../x": has a volume)"}, windows_only},
      {R"(C:\srv\)", "upload/../C:/Windows", {"-", R"("upload/../C:/Windows": has a volume)"}, windows_only},
      // RUSTSEC-2021-0135 (tower-http): a drive path replaced the base.
      {R"(C:\srv\)", "C:/Windows/win.ini", {"-", R"("C:/Windows/win.ini": has a volume)"}, windows_only},
      {R"(C:\srv\)", R"(\Windows\win.ini)", R"("\\Windows\\win.ini": is absolute)", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    const auto r = append_beneath(s.path(row.a), row.b);
    EXPECT_EQ(r ? r->to_string() : r.error().message(), s.want(row.out));
  });
}

template <path_syntax S>
void check_beneath(const basic_path<S>& root, const basic_path<S>& q) {
  SCOPED_TRACE(root.to_string() + " <- " + q.to_string());
  const auto r = append_beneath(root, q);
  EXPECT_EQ(r.has_value(), is_local(q));
  if (!r) return;
  EXPECT_TRUE(is_valid_path<S>(r->view()));
  EXPECT_TRUE(is_rooted(root, *r));
  if (S::is_windows && !root.view().starts_with("\\??\\")) {
    EXPECT_FALSE(r->view().starts_with("\\??\\"));
  }
}

TEST(AppendBeneath, RootedOrRefusedOverGeneratedPairs) {
  path_generator gen(13);
  int results = 0;
  for (int i = 0; i < 10000; ++i) {
    const auto a = posix_path::of_string(gen.posix());
    const auto b = posix_path::of_string(gen.posix());
    if (a && b) {
      check_beneath(*a, *b);
      results += is_local(*b);
    }
    const auto c = windows_path::of_string(gen.windows());
    const auto d = windows_path::of_string(gen.windows());
    if (c && d) check_beneath(*c, *d);
  }
  EXPECT_GT(results, 1000);
}

TEST(Conversions, KeepTheSegmentsOrGiveNothing) {
  const struct {
    const char* p;
    const char* out;
  } to_win[] = {
      {"/a/b/", R"(\a\b\)"}, {"a", "a"},   {".", "."},  {"../a", R"(..\a)"}, {"/", R"(\)"}, {"//a", "-"},
      {"a\\b", "-"},         {"a:b", "-"}, {"a.", "-"}, {"x/CON", "-"},      {"a /b", "-"}, {"?/a", "-"},
      {"a/./b", R"(a\.\b)"},
  };
  for_each_row(to_win, [](const auto& row) { EXPECT_EQ(shown(to_windows(px(row.p))), row.out); });
  const struct {
    const char* p;
    const char* out;
  } to_px[] =
      {
          {R"(\a\b\)", "/a/b/"}, {R"(a\b)", "a/b"},     {"..", ".."},        {R"(\)", "/"},
          {R"(C:\a)", "-"},      {"C:a", "-"},          {R"(\\s\h\x)", "-"}, {R"(\\?\C:\x)", "-"},
          {"ab:c", "-"},         {R"(a\NUL)", "a/NUL"},  // no volume: the segments are kept as they are
      };
  for_each_row(to_px, [](const auto& row) { EXPECT_EQ(shown(to_posix(wn(row.p))), row.out); });
}

TEST(Conversions, ThereAndBackOverGeneratedPaths) {
  path_generator gen(14);
  for (int i = 0; i < 5000; ++i) {
    if (auto p = posix_path::of_string(gen.posix())) {
      if (const auto w = to_windows(*p)) {
        EXPECT_TRUE(is_valid_path<windows_syntax>(w->view())) << w->view();
        EXPECT_EQ(to_posix(*w), *p);
      }
    }
    if (auto p = windows_path::of_string(gen.windows())) {
      if (const auto x = to_posix(*p)) {
        EXPECT_TRUE(is_valid_path<posix_syntax>(x->view())) << x->view();
      }
    }
  }
}

TEST(VolumeKind, NamesEveryWindowsVolume) {
  const struct {
    const char* p;
    const char* kind;
  } cases[] = {
      {"a", "none"},
      {R"(\a)", "none"},
      {"C:a", "drive"},
      {R"(C:\a)", "drive"},
      {R"(ab:\x)", "drive"},  // any volume that ends in its first ':'
      {R"(\\srv\sh\)", "unc"},
      {R"(\\?\C:\x)", "verbatim-drive"},
      {R"(\\?\ab:\x)", "verbatim-drive"},
      {R"(\\?\UNC\s\h\x)", "verbatim-unc"},
      {R"(\\?\unc\s\h)", "verbatim"},  // only UNC in capitals makes a verbatim share
      {R"(\\?\Volume{x}\a\)", "verbatim"},
      {R"(\\.\COM1\)", "device"},
      {R"(\\.\UNC\s\h\x)", "device"},  // a device path to a share holds the share in its volume
      {R"(\\.\unc\s\h\x)", "device"},
  };
  for_each_row(cases, [](const auto& c) { EXPECT_EQ(to_string(volume_kind(wn(c.p))), c.kind); });
}

TEST(Verbatim, ToAndFromThePlainFormOnlyWhenTheyNameTheSameFile) {
  const struct {
    const char* p;
    const char* out;
  } to[] = {
      {R"(C:\a\..\b)", R"(\\?\C:\b)"},
      {R"(c:\a\)", R"(\\?\c:\a\)"},
      {R"(C:\)", R"(\\?\C:\)"},
      {R"(\\srv\sh\x)", R"(\\?\UNC\srv\sh\x)"},
      {R"(\\srv\sh\a\.\b)", R"(\\?\UNC\srv\sh\a\b)"},
      {R"(\\?\C:\a.)", R"(\\?\C:\a.)"},  // verbatim already
      {R"(\\?\Volume{x}\a\)", R"(\\?\Volume{x}\a\)"},
      {"a", "-"},
      {"C:x", "-"},
      {R"(\x)", "-"},
      {R"(ab:\x)", "-"},
      {R"(1:\x)", "-"},
      {R"(\\..\sh\x)", "-"},
      {R"(\\srv\.\x)", "-"},
      {R"(\\.\COM1\)", "-"},
      {R"(\\.\UNC\srv\sh\x)", "-"},
      {R"(C:\a.)", "-"},  // C:\a. opens a, \\?\C:\a. opens a.
      {R"(C:\x\con)", "-"},
      {R"(C:\a \b)", "-"},
  };
  for_each_row(to, [](const auto& row) { EXPECT_EQ(shown(to_verbatim(wn(row.p))), row.out); });
  const std::string long_name(254, 'a');
  const struct {
    std::string p;
    std::string out;
  } of[] = {
      {R"(\\?\C:\x)", R"(C:\x)"},
      {R"(\\?\C:\)", R"(C:\)"},
      {R"(\\?\UNC\srv\sh\x)", R"(\\srv\sh\x)"},
      {R"(C:\x)", R"(C:\x)"},  // not verbatim: as it is
      {R"(\\.\COM1\)", R"(\\.\COM1\)"},
      {R"(\\?\C:\a.)", "-"},
      {R"(\\?\C:\a\..\b)", "-"},
      {R"(\\?\C:\a\.\b)", "-"},
      {R"(\\?\C:\con)", "-"},
      {R"(\\?\ab:\x)", "-"},
      {R"(\\?\UNC\?\sh\x)", "-"},
      {R"(\\?\UNC\.\sh\x)", "-"},
      {R"(\\?\UNC\srv\..\x)", "-"},
      {R"(\\?\Volume{x}\a\)", "-"},
      {R"(\\?\C:\)" + long_name + R"(\x)", R"(C:\)" + long_name + R"(\x)"},  // 259 bytes
      {R"(\\?\C:\)" + long_name + R"(\xy)", "-"},                            // 260
  };
  for_each_row(of, [](const auto& row) { EXPECT_EQ(shown(of_verbatim(wn(row.p))), row.out); });
}

TEST(Verbatim, BackAndForthGivesTheNormalForm) {
  path_generator gen(15);
  int both = 0;
  for (int i = 0; i < 20000; ++i) {
    const auto p = windows_path::of_string(gen.windows());
    if (!p) continue;
    const auto v = to_verbatim(*p);
    if (!v) continue;
    EXPECT_TRUE(is_valid_path<windows_syntax>(v->view())) << v->view();
    const auto back = of_verbatim(*v);
    const auto kind = volume_kind(*p);
    if (!back || kind == windows_volume_kind::verbatim_drive || kind == windows_volume_kind::verbatim_unc) continue;
    EXPECT_EQ(*back, normalize(*p)) << p->view();
    ++both;
  }
  EXPECT_GT(both, 100);
}

// Whether text, as a path of the syntax, may be appended beneath a root:
// text that is not a path is refused as a path that is not local is.
template <class Under>
bool local_text(Under, std::string_view text) {
  const auto p = basic_path<typename Under::syntax>::of_string(text);
  return p && is_local(*p);
}

// Rows of golang/go, src/path/filepath/path_test.go (islocaltests and
// winislocaltests; BSD-3-Clause), in Go's answers. Where Corso's differ, the
// row says why.
TEST(Borrowed, GoIsLocal) {
  const struct {
    const char* p;
    bool local;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"", false},  // not a path at all
      {".", true},
      {"..", false},
      {"../a", false},
      {"/", false},
      {"/a", false},
      {"/a/../..", false},
      {"a", true},
      {"a/../a", true},
      {"a/", true},
      {"a/.", true},
      {"a/./b/./c", true},
      {"a/../b:/../../c", false},  // POSIX: the normal form is ../c; Windows: the volume a\..\b:
      {"NUL", false, windows_only},
      {"nul", false, windows_only},
      {"nul ", false, windows_only},
      {"nul.", false, windows_only},
      {"a/nul:", false, windows_only},
      {"a/nul : a", false, windows_only},
      {"com0", true, windows_only},
      {"com1", false, windows_only},
      {"com9", false, windows_only},
      {"com\xc2\xb9", false, windows_only},
      {"com\xc2\xb2", false, windows_only},
      {"com\xc2\xb3", false, windows_only},
      {"com\xc2\xb9 : a", false, windows_only},
      {"cOm1", false, windows_only},
      {"lpt1", false, windows_only},
      {"LPT1", false, windows_only},
      {"lpt\xc2\xb3", false, windows_only},
      {"./nul", false, windows_only},
      {"\\", false, windows_only},
      {"\\a", false, windows_only},
      {"C:", false, windows_only},  // not a path: a volume with nothing after it
      {"C:\\a", false, windows_only},
      {"..\\a", false, windows_only},
      {"a/../c:", false, windows_only},  // not a path, as C: is not
      {"CONIN$", false, windows_only},
      {"conin$", false, windows_only},
      {"CONOUT$", false, windows_only},
      {"conout$", false, windows_only},
      {"dollar$", true, windows_only},
      // Not in Go's table: Go takes these names; Windows drops the trailing
      // dot or space, or refuses the byte, so Corso does not.
      {"a.", false, windows_only},
      {"a ", false, windows_only},
      {"a*b", false, windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) { EXPECT_EQ(local_text(s, row.p), row.local); });
}

// Rows of python/cpython, Lib/test/test_ntpath.py (test_isreserved; PSF
// License 2): a name Python calls reserved has a windows_name_fault.
TEST(Borrowed, PythonIsReserved) {
  const struct {
    const char* in;
    const char* fault;
  } rows[] = {
      {"", "-"},
      {".", "-"},
      {"..", "-"},
      {"foo.", "trailing-dot-or-space"},
      {"foo ", "trailing-dot-or-space"},
      {"\foo", "forbidden-byte"},  // a form feed, as in Python's own row
      {"foo*bar", "forbidden-byte"},
      {"foo?bar", "forbidden-byte"},
      {"foo\"bar", "forbidden-byte"},
      {"foo<bar", "forbidden-byte"},
      {"foo>bar", "forbidden-byte"},
      {"foo:bar", "forbidden-byte"},
      {"foo|bar", "forbidden-byte"},
      {"nul", "reserved-name"},
      {"aux", "reserved-name"},
      {"prn", "reserved-name"},
      {"con", "reserved-name"},
      {"conin$", "reserved-name"},
      {"conout$", "reserved-name"},
      {"COM1", "reserved-name"},
      {"LPT9", "reserved-name"},
      {"com\xc2\xb9", "reserved-name"},
      {"com\xc2\xb2", "reserved-name"},
      {"lpt\xc2\xb3", "reserved-name"},
      {"NUL.txt", "reserved-name"},
      {"PRN  ", "trailing-dot-or-space"},  // reserved by Python too; the last byte is found first
      {"AUX  .txt", "reserved-name"},
      {"COM1:bar", "forbidden-byte"},
      {"LPT9   :bar", "forbidden-byte"},
      {"bar.com9", "-"},
      {"bar.lpt9", "-"},
  };
  for_each_row(rows, [](const auto& row) { EXPECT_EQ(fault_of(row.in), row.fault); });
}

// Rows of pallets/werkzeug, tests/test_security.py (safe_join; BSD-3-Clause).
TEST(Borrowed, WerkzeugSafeJoin) {
  const struct {
    const char* a;
    const char* b;
    answer out;  // "-" for werkzeug's None
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"a", "b/c", "a/b/c"},
      {"a", "../b/c", "-"},
      {"a", "b\\c", "a/b\\c", posix_only},
      // werkzeug refuses b\c under Windows: its input is a URL path. Here '\'
      // separates, and b\c is local.
      {"a", "b\\c", "a\\b\\c", windows_only},
      {"a", "//b/c", "-"},
      {"a", "CON", "-", windows_only},
      {"a", "CON.txt", "-", windows_only},
      {"a", "CON.txt.html", "-", windows_only},
      {"a", "CON  ", "-", windows_only},
      {"a", "CON . txt", "-", windows_only},
      {"a", "b/CON", "-", windows_only},
      {"a", "CON", "a/CON", posix_only},
      // werkzeug joins c:test.txt to an empty base as ./c:test.txt. An empty
      // root is not a path; from . POSIX keeps the name, Windows reads c: as a volume.
      {".", "c:test.txt", {"c:test.txt", "-"}},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    const auto r = append_beneath(s.path(row.a), row.b);
    EXPECT_EQ(r ? r->to_string() : "-", s.want(row.out));
  });
}

// Inputs of nodejs/node, test/parallel/test-path-win32-normalize-device-names.js
// and test-path-join.js (MIT). Node rewrites them so that they cannot read
// as drives or devices; here none of them is local, and none goes beneath a root.
TEST(Borrowed, NodeDeviceNamesAreNeverLocal) {
  const struct {
    const char* in;
  } rows[] = {
      {"CON"},
      {"CON.TXT"},
      {"LPT9.foo"},
      {"CON:"},
      {"coN:"},
      {"COM9."},
      {"CON:./foo"},
      {"CON:../foo"},
      {"CON:..\\..\\foo"},
      {"COM1:a:b:c"},
      {"COM\xc2\xb9:"},
      {"LPT\xc2\xb9:.\\..\\..\\foo"},
      {"LpT5:/another/path"},
      {"COM10:"},
      {"CONNINGTOWER:"},
      {"CON::"},
      {"AUX:/foo\\bar/baz"},
      {"CON:foo/../bar"},
      {"c:COM1:"},
      {"c:lpt1"},
      {"/../C:/Windows"},
      {"../C:foo"},
      {R"(??/D:/Test)"},
      {"../D:"},
      {"CON:..\\..\\..\\private\\db.conf"},
  };
  for_each_row(rows, [](const auto& row) {
    EXPECT_FALSE(local_text(under<windows_syntax>{}, row.in));
    EXPECT_FALSE(append_beneath(wn(R"(C:\srv\)"), row.in).has_value());
  });
}

}  // namespace
}  // namespace corso::test
