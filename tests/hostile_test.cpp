// Inputs that have broken path libraries before: traversal through "..",
// drives and ':' inside relative paths, verbatim and device prefixes, NUL
// bytes, the other syntax's separator, huge and deep paths, names of dots.
// For each, what the operations a server relies on give, and the assurance
// that nothing climbs out of a root or gains a volume it did not have.
#include <gtest/gtest.h>

#include "test_util.hpp"

namespace corso::test {
namespace {

using namespace std::string_literals;

// A user's path p asked for under the root; "-" is no result.
struct hostile_case {
  const char* root;
  const char* p;
  const char* normalized;  // normalize(p)
  const char* appended;    // append(root, p)
  const char* relative;    // relativize(root, p)
  bool rooted;             // is_rooted(root, p)
};

template <path_syntax S>
void check_hostile(const hostile_case& c) {
  const basic_path<S> root = P<S>(c.root);
  const basic_path<S> p = P<S>(c.p);
  EXPECT_EQ(normalize(p).to_string(), c.normalized);
  EXPECT_EQ(append(root, p).to_string(), c.appended);
  EXPECT_EQ(shown(relativize(root, p)), c.relative);
  EXPECT_EQ(is_rooted(root, p), c.rooted);
}

// What must hold for any pair: a rooted path normalizes inside the root,
// and normalizing never changes a volume. (Relativization does not compare
// the POSIX "//" volume, so a root and a path that differ in it alone are
// left out.)
template <path_syntax S>
void check_assurances(const basic_path<S>& root, const basic_path<S>& p) {
  SCOPED_TRACE(root.to_string() + " <- " + p.to_string());
  EXPECT_EQ(split_volume(normalize(p)).first, split_volume(p).first);
  if constexpr (S::is_windows) {
    EXPECT_TRUE(!normalize(p).view().starts_with(R"(\??\)") || p.view().starts_with(R"(\??\)"));
  }
  if (!S::is_windows && split_volume(root).first != split_volume(p).first) return;
  if (is_rooted(root, p) && is_abs(root) && is_abs(p)) {
    EXPECT_TRUE(is_prefix(to_dir_path(normal_segs_form(root)), to_dir_path(normal_segs_form(p))));
    EXPECT_FALSE(is_parent_dir(*relativize(root, p), {.prefix = true}));
  }
}

TEST(Hostile, TraversalUnderPosix) {
  const hostile_case cases[] = {
      {"/srv/www/", "/srv/www/../../etc/passwd", "/etc/passwd", "/srv/www/../../etc/passwd", "../../etc/passwd", false},
      {"/srv/www/", "/srv/www/a/../../x", "/srv/x", "/srv/www/a/../../x", "../x", false},
      {"/srv/www/", "/srv/www/./../www/x", "/srv/www/x", "/srv/www/./../www/x", "x", true},
      {"/srv/www/", "/../../srv/www/x", "/srv/www/x", "/../../srv/www/x", "x", true},  // ".." stops at the root
      {"/srv/www/", "img/../../x", "../x", "/srv/www/img/../../x", "-", false},
      {"/srv/www/", "/srv/www/..x", "/srv/www/..x", "/srv/www/..x", "..x", true},  // a name, not a climb
      {"/srv/www/", "/srv/www/...", "/srv/www/...", "/srv/www/...", "...", true},
      {"/srv/www/", "/srv/www/a/.../..", "/srv/www/a/", "/srv/www/a/.../..", "a/", true},
      {"/srv/www/", "/srv/www/..\\..\\etc", "/srv/www/..\\..\\etc", "/srv/www/..\\..\\etc", "..\\..\\etc", true},
      {"/srv/www/", "//srv/www/x", "//srv/www/x", "//srv/www/x", "x", true},  // "//" is not compared
      {"/srv/www", "/srv/www2/x", "/srv/www2/x", "/srv/www2/x", "../www2/x", false},
      {"www/", "www/../..", "../", "www/www/../..", "../../", false},
      {"./", "..", "../", "./..", "../", false},
  };
  for_each_row(cases, check_hostile<posix_syntax>);
}

TEST(Hostile, TraversalVolumesAndColonsUnderWindows) {
  const hostile_case cases[] = {
      {R"(C:\srv\)", R"(C:\srv\..\..\Windows\win.ini)", R"(C:\Windows\win.ini)", R"(C:\srv\..\..\Windows\win.ini)",
       R"(..\Windows\win.ini)", false},
      {R"(C:\srv\)", "C:/srv/a/../b", R"(C:\srv\b)", R"(C:\srv\a\..\b)", "b", true},
      {R"(C:\srv\)", R"(D:\srv\x)", R"(D:\srv\x)", R"(D:\srv\x)", "-", false},
      {R"(C:\srv\)", R"(c:\srv\x)", R"(c:\srv\x)", R"(c:\srv\x)", "-", false},        // bytes: c: is not C:
      {R"(C:\srv\)", "C:x", "C:x", "C:x", "-", false},                                // drive-relative
      {R"(C:\srv\)", R"(\srv\x)", R"(\srv\x)", R"(\srv\x)", "-", false},              // the current drive's root
      {R"(C:\srv\)", R"(a\b:c)", R"(a\b:c)", R"(a\b:c)", "-", false},                 // ':' makes a\b: a volume
      {R"(C:\srv\)", R"(C:\srv\a:b)", R"(C:\srv\a:b)", R"(C:\srv\a:b)", "-", false},  // a result a:b would be a volume
      {R"(C:\srv\)", R"(\\?\C:\srv\x)", R"(\\?\C:\srv\x)", R"(\\?\C:\srv\x)", "-", false},
      {R"(\\?\C:\srv\)", R"(\\?\C:\srv\..\..\..\x)", R"(\\?\C:\x)", R"(\\?\C:\srv\..\..\..\x)", R"(..\x)", false},
      {R"(\\.\pipe\)", R"(\\.\pipe\..\..\x)", R"(\\.\pipe\x)", R"(\\.\pipe\..\..\x)", "x", true},
      {R"(\\srv\share\)", R"(\\srv\share\..\other\x)", R"(\\srv\share\other\x)", R"(\\srv\share\..\other\x)",
       R"(other\x)", true},  // .. stops at the share: it names a folder in it
      {R"(\\srv\share\)", R"(\\srv\other\x)", R"(\\srv\other\x)", R"(\\srv\other\x)", "-", false},
      {R"(\\.\UNC\h\s\)", R"(\\.\UNC\h\s\..\..\other\x)", R"(\\.\UNC\h\s\other\x)", R"(\\.\UNC\h\s\..\..\other\x)",
       R"(other\x)", true},  // as for \\srv\share: the share is the volume
      {R"(\\.\UNC\h\s\)", R"(\\.\UNC\h\t\x)", R"(\\.\UNC\h\t\x)", R"(\\.\UNC\h\t\x)", "-", false},
      {R"(C:\srv\)", R"(C:\srv\...\x)", R"(C:\srv\...\x)", R"(C:\srv\...\x)", R"(...\x)", true},
      // \??\ hands the rest to the NT namespace: normalizing never makes a path begin with it.
      {R"(\a\)", R"(\a\..\??\UNC\evil\share\x)", R"(\.\??\UNC\evil\share\x)", R"(\a\..\??\UNC\evil\share\x)",
       R"(..\??\UNC\evil\share\x)", false},
      {R"(\a\..\??\)", R"(\??\x)", R"(\??\x)", R"(\??\x)", "x", true},  // the "." of \.\??\ is no segment
  };
  for_each_row(cases, check_hostile<windows_syntax>);
}

TEST(Hostile, MalformedVolumesAndBytesAreRefused) {
  const struct {
    std::string in;
    bool posix_ok, windows_ok;
  } cases[] = {
      {R"(\\?\)", true, false},
      {R"(\\?\UNC\)", true, false},
      {R"(\\?\UNC\srv)", true, false},
      {R"(\\?\UNC\srv\)", true, false},
      {R"(\\.\)", true, false},
      {R"(\\.\UNC\h)", true, false},
      {R"(\\.\unc\h\)", true, false},
      {R"(\\\)", true, false},
      {"//", true, false},
      {"///evil/share/x", true, false},
      {R"(\\\srv\sh\x)", true, false},
      {"C:", true, false},
      {"a/b:", true, false},
      {"a\0"s, false, false},
      {"\0/etc/passwd"s, false, false},
      {"/etc/passwd\0.png"s, false, false},
      {R"(\\?\UNC\srv\sh)", true, true},
      {R"(\\?\C:)", true, true},
      {"C:/", true, true},
  };
  for_each_row(cases, [](const auto& c) {
    EXPECT_EQ(posix_path::of_string(c.in).has_value(), c.posix_ok);
    EXPECT_EQ(windows_path::of_string(c.in).has_value(), c.windows_ok);
  });
}

TEST(Hostile, SegmentsCannotSmuggleSeparatorsOrVolumes) {
  for (const char* seg : {"../x", "..\\x", "a/b", "x\0"}) {
    const std::string s(seg, std::strlen(seg) + (seg[0] == 'x' ? 1 : 0));
    EXPECT_THROW((void)add_seg(wn(R"(C:\srv)"), s), std::invalid_argument) << s;
  }
  EXPECT_THROW((void)add_seg(px("/srv"), "../x"), std::invalid_argument);
  EXPECT_EQ(add_seg(px("/srv"), "..\\x").to_string(), "/srv/..\\x");  // a name under POSIX
  EXPECT_THROW((void)add_seg(wn("srv"), "C:"), std::invalid_argument);
  EXPECT_THROW((void)add_ext("x:y", wn("srv")), std::invalid_argument);
  EXPECT_EQ(add_seg(wn(R"(C:\srv)"), "x:y").to_string(), R"(C:\srv\x:y)");  // the volume stays C:
}

TEST(Hostile, HugeAndDeepPathsStayIterative) {
  // 1 MiB in one path, and 100,000 segments: no recursion on the stack.
  const std::string huge = "/" + std::string(1 << 20, 'a');
  const posix_path big = px(huge);
  EXPECT_EQ(normalize(big), big);
  EXPECT_EQ(parent(big).to_string(), "/");
  EXPECT_EQ(get_ext(big + "gz"), ".gz");

  std::string down;
  std::string up;
  for (int i = 0; i < 100000; ++i) {
    down += "d/";
    up += "../";
  }
  const posix_path deep = px("/" + down);
  EXPECT_EQ(normalize(px("/" + down + up + "x")).to_string(), "/x");
  EXPECT_EQ(normalize(px(down + up + up)).to_string(), up);
  EXPECT_EQ(segs(deep).size(), 100002u);
  EXPECT_EQ(shown(relativize(deep, deep / "x")), "x");
  EXPECT_EQ(relativize(deep / "a", px("/"))->to_string().size(), 3u * 100001);
  EXPECT_TRUE(is_rooted(deep, px("/" + down + "x/../y")));
  EXPECT_FALSE(is_rooted(deep, px("/" + down + "..")));
  const windows_path wdeep = wn(R"(\\srv\sh\)" + down);
  EXPECT_EQ(normalize(wn(R"(\\srv\sh\)" + down + up + up)).to_string(), R"(\\srv\sh\)");
  EXPECT_TRUE(is_rooted(wdeep, wn(R"(\\srv\sh\)" + down + "x")));
  // A set of deep paths: its operations recurse only as deep as the tree.
  posix_path_set s;
  for (int i = 0; i < 200; ++i) s = s.add(deep / std::to_string(i));
  EXPECT_EQ(s.union_with(s.remove(deep / "7")).size(), 200u);
}

TEST(Hostile, AssurancesOverGeneratedPairs) {
  path_generator gen(41);
  for (int i = 0; i < 20000; ++i) {
    const auto a = posix_path::of_string(gen.posix());
    const auto b = posix_path::of_string(gen.posix());
    if (a && b) {
      check_assurances(*a, *b);
      check_assurances(*a, append(*a, *b));
    }
    const auto c = windows_path::of_string(gen.windows());
    const auto d = windows_path::of_string(gen.windows());
    if (c && d) {
      check_assurances(*c, *d);
      check_assurances(*c, append(*c, *d));
    }
  }
}

}  // namespace
}  // namespace corso::test
