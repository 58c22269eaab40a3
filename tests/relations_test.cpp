#include <gtest/gtest.h>

#include "normalize.hpp"
#include "relativize.hpp"
#include "test_util.hpp"

namespace corso::test {
namespace {

// Two paths and an answer; "-" stands for no result (see shown).
struct pair_row {
  const char* a;
  const char* b;
  answer out;
  syntaxes only = syntaxes::both;
};

// Rows that mean one thing under both syntaxes are written with '/'; the
// Windows run reads them with '\' (see for_each_row).
struct bool_pair_row {
  const char* a;
  const char* b;
  bool out;
  syntaxes only = syntaxes::both;
};

TEST(IsPrefix, EndsAtASegmentBoundaryWithoutNormalizing) {
  const bool_pair_row rows[] = {
      {"/a", "/a/b", true},
      {"/a", "/ab", false},
      {"/a/", "/a/b", true},
      {"/a/", "/a", false},
      {"/a", "/a/", true},
      {"/a", "/a", true},
      {"/", "/a", true},
      {"/", "//a", true, posix_only},
      {"//", "//a", true, posix_only},
      {"a", "a/b", true},
      {"a/b", "a/bc", false},
      {"a/./b", "a/b/c", false},
      {"a/b/c", "a/b", false},
      {R"(C:\a)", R"(C:\a\b)", true, windows_only},
      {R"(C:\A)", R"(C:\a\b)", false, windows_only},
      {R"(C:\a)", R"(C:\ab)", false, windows_only},
      {"C:/a", R"(C:\a\b)", true, windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) { EXPECT_EQ(is_prefix(s.path(row.a), s.path(row.b)), row.out); });
}

TEST(FindPrefix, LongestCommonPrefixOfBoth) {
  const pair_row rows[] = {
      {"/a/b", "/a/c", "/a/"},
      {"/a/b", "/a/b/c", "/a/b"},
      {"/a/b/", "/a/b/c", "/a/b/"},
      {"/a/b", "/a/b/", "/a/b"},
      {"/a/b/", "/a/b", "/a/b"},
      {"a/b", "a/bc", "a/"},
      {"/ab", "/a/b", "/"},
      {"ab/c", "ab", "ab"},
      {"a", "a", "a"},
      {"/a", "/b", "/"},
      {"/", "/", "/"},
      {"a", "b", "-"},
      {"/a", "b", "-"},
      {"//a", "/a", "-", posix_only},
      {"//a", "//b", "//", posix_only},
      {"//", "//", "//", posix_only},
      {"/a/../b", "/a/c", "/a/"},
      {"ab", "abc", "-"},
      {R"(C:\a)", R"(C:\b)", R"(C:\)", windows_only},
      {R"(C:\)", R"(C:\a)", R"(C:\)", windows_only},
      {R"(C:a\b)", R"(C:a\c)", R"(C:a\)", windows_only},
      {"C:a", "C:b", "-", windows_only},
      {R"(C:\a)", R"(D:\a)", "-", windows_only},
      {R"(C:\a)", R"(c:\a)", "-", windows_only},
      {R"(\\srv\shr\a)", R"(\\srv\shr\b)", R"(\\srv\shr\)", windows_only},
      {R"(\\srv\a\x)", R"(\\srv\b\x)", "-", windows_only},
      {"a/b", "a/b:c", {"a/", "-"}},  // under Windows, the second one's volume is a\b:
  };
  for_each_row(rows, [](auto s, const auto& row) {
    EXPECT_EQ(shown(find_prefix(s.path(row.a), s.path(row.b))), s.want(row.out));
  });
}

TEST(RemPrefix, GivesTheRestAsARelativePath) {
  const pair_row rows[] = {
      {"/a", "/a/b", "b"},
      {"/a/", "/a/b", "b"},
      {"/a", "/a/b/c", "b/c"},
      {"a", "a/b/", "b/"},
      {"/", "/a", "a"},
      {"/", "//a", "a", posix_only},
      {"/a", "/a/", "./"},
      {"/a", "/a", "-"},
      {"/a/", "/a/", "-"},
      {"/a/", "/a", "-"},
      {"/a", "/ab", "-"},
      {R"(C:\)", R"(C:\a\b)", R"(a\b)", windows_only},
      {R"(\\srv\shr\)", R"(\\srv\shr\a)", "a", windows_only},
      {R"(C:\)", R"(C:\a:b)", "-", windows_only},  // a:b would read as the volume a:
      {"/", "/a:b", {"a:b", "-"}},                 // and under Windows \a:b has the volume \a:
      {R"(\\s\h\)", R"(\\s\h\x\y:)", "-", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    EXPECT_EQ(shown(rem_prefix(s.path(row.a), s.path(row.b))), s.want(row.out));
  });
}

TEST(Relativize, LeadsFromTheRootToThePath) {
  const pair_row rows[] = {
      {"/a/b/", "/a/c", "../c"},
      {"/a/b/", "/a/b", "../b"},
      {"/a/b/", "/a/b/", "./"},
      {"/a/b/", "/x", "../../x"},
      {"/a/b/", "/a/b/c/d", "c/d"},
      {"/a/b/", "/a/b/c/", "c/"},
      {"/a/b/", "/", "../../"},
      {"/a/b/", "/a/b/../c", "../c"},
      {"/a/b/", "/a/b/./c", "c"},
      {"/a/b/", "c", "-"},
      {"/a/b", "/a/b/c", "c"},
      {"/a/b/c/", "/a", "../../../a"},
      {"/", "/", "./"},
      {"/", "/a", "a"},
      {"/", "/..", "./"},
      {"/a", "/", "../"},
      {"/a", "a", "-"},
      {"a", "/a", "-"},
      {"./", "/a", "-"},
      {"a/", "b", "../b"},
      {"a/", "../b", "../../b"},
      {"a/b", "c/d", "../../c/d"},
      {"a/b/c", "a/x/y/", "../../x/y/"},
      {"a", "a", "../a"},
      {"a/", "a/", "./"},
      {"a/b", "a/b/", "./"},
      {"a/b/", "a", "../../a"},
      {"a/", ".", ".././"},
      {".", "a/b", "a/b"},
      {".", ".", "./"},
      {".", "..", "../"},
      {"..", "..", "./"},
      {"..", "../a", "a"},
      {"..", "a", "-"},
      {"..", ".", "-"},
      {"../a/", "../b", "../b"},
      {"../a/", "b", "-"},
      {"../../", "../", "-"},
      {"/a", "/b/c", "../b/c"},
      {"//a/", "/a/b", "b", posix_only},
      {"/a/", "//a/b", "b", posix_only},
      // Windows needs equal volumes and never gives a ':' that would read as one.
      {R"(C:\a\)", R"(C:\a\b)", "b", windows_only},
      {R"(C:\)", R"(C:\)", R"(.\)", windows_only},
      {R"(C:\)", R"(C:\a)", "a", windows_only},
      {"C:a", R"(C:a\b)", "b", windows_only},
      {"C:a", "C:b", R"(..\b)", windows_only},
      {R"(\\srv\shr\a\)", R"(\\srv\shr\b)", R"(..\b)", windows_only},
      {R"(C:\a)", R"(D:\a)", "-", windows_only},
      {R"(C:\a)", R"(c:\a\b)", "-", windows_only},
      {R"(C:a\)", R"(C:\a)", "-", windows_only},
      {R"(C:\x\)", R"(C:\a:b)", "-", windows_only},
      {R"(C:\a:b\)", R"(C:\a:b\c)", "c", windows_only},
      {"/x/", "/a:b", {"../a:b", "-"}},
      {R"(C:\)", R"(C:\a:)", "-", windows_only},  // not .\, which would claim that C:\a: is the root itself
      {R"(C:\a:\)", R"(C:\a:\x)", "x", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    EXPECT_EQ(shown(relativize(s.path(row.a), s.path(row.b))), s.want(row.out));
  });
}

TEST(IsRooted, TrueOnlyInsideTheRoot) {
  const bool_pair_row rows[] = {
      {"/a/b/", "/a/b/c", true},
      {"/a/b", "/a/b/c", true},
      {"/a/b/", "/a/b/", true},
      {"/a/", "/a/./b/..", true},
      {"a/", "a/b", true},
      {"/", "/a", true},
      {"/a/b/", "/a/b", false},
      {"/a/b/", "/a/c", false},
      {"/a/", "a/b", false},
      {"a", "a", false},
      {"a/", "a/../b", false},
      {"/srv/", "/srv/../etc", false},
      {"/srv/", "/srv/..x", true},
      {R"(C:\srv\)", "C:/srv/a/../b", true, windows_only},
      {R"(C:\srv\)", R"(C:\srv\..\x)", false, windows_only},
      {R"(C:\srv\)", R"(D:\srv\x)", false, windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) { EXPECT_EQ(is_rooted(s.path(row.a), s.path(row.b)), row.out); });
}

// Whenever relativize gives r, appending r to the normalized root and
// normalizing gives the normalized path (up to the "." that normalize keeps
// in front of a Windows \??\); is_rooted follows r. The one
// exception is a POSIX pair where only one path has the "//" volume, which
// relativization does not compare.
template <path_syntax S>
void check_relativize(const basic_path<S>& root, const basic_path<S>& p) {
  SCOPED_TRACE(root.to_string() + " -> " + p.to_string());
  const auto r = relativize(root, p);
  const bool rooted = is_rooted(root, p);
  if (!r) {
    EXPECT_FALSE(rooted);
    return;
  }
  EXPECT_TRUE(is_rel(*r));
  EXPECT_TRUE(is_valid_path<S>(r->view()));
  EXPECT_EQ(rooted, r->view() != ".." && !r->view().starts_with(S::dotdot_dir));
  if (!S::is_windows && split_volume(root).first != split_volume(p).first) return;
  EXPECT_EQ(normal_segs_form(append(normalize(root), *r)), normal_segs_form(p));
  if (rooted && is_abs(root)) {
    EXPECT_TRUE(is_prefix(to_dir_path(normal_segs_form(root)), to_dir_path(normal_segs_form(p))));
  }
}

TEST(Relativize, AppendedToTheRootGivesThePathOverGeneratedPairs) {
  path_generator gen(99);
  int results = 0;
  for (int i = 0; i < 20000; ++i) {
    const auto a = posix_path::of_string(gen.posix());
    const auto b = posix_path::of_string(gen.posix());
    if (a && b) {
      check_relativize(*a, *b);
      results += relativize(*a, *b).has_value();
    }
    const auto c = windows_path::of_string(gen.windows());
    const auto d = windows_path::of_string(gen.windows());
    if (c && d) {
      check_relativize(*c, *d);
      check_relativize(*c, append(*c, *d));
    }
  }
  EXPECT_GT(results, 2000);  // the pairs exercise the success path, not only the absent one
}

// Without "." or ".." segments, relativization runs on the bytes; it must
// give what the walk over segment lists gives.
template <path_syntax S>
void check_roads_agree(std::string_view root, std::string_view p) {
  constexpr char sep = S::dir_sep_char;
  if (detail::has_rel_seg<sep>(root) || detail::has_rel_seg<sep>(p)) return;
  SCOPED_TRACE(std::string(root) + " -> " + std::string(p));
  ASSERT_EQ(detail::relativize_normal<S>(root, p), detail::_relativize<S>(root, p));
}

TEST(Relativize, TheDirectRoadAgreesWithTheWalk) {
  path_generator gen(31);
  int compared = 0;
  for (int i = 0; i < 30000; ++i) {
    const auto a = posix_path::of_string(gen.posix());
    const auto b = posix_path::of_string(gen.posix());
    if (a && b) {
      const auto rest = [](const posix_path& x) { return x.view().substr(x.view().starts_with("//") ? 1 : 0); };
      const posix_path joined = append(*a, *b);
      for (const posix_path* q : {&*b, &joined, &*a}) {
        check_roads_agree<posix_syntax>(rest(*a), rest(*q));
        compared += !detail::has_rel_seg<'/'>(rest(*a)) && !detail::has_rel_seg<'/'>(rest(*q));
      }
    }
    const auto c = windows_path::of_string(gen.windows());
    const auto d = windows_path::of_string(gen.windows());
    if (c && d) {
      const windows_path joined = append(*c, *d);
      for (const windows_path* q : {&*d, &joined, &*c}) {
        check_roads_agree<windows_syntax>(split_volume(*c).second, split_volume(*q).second);
      }
    }
  }
  EXPECT_GT(compared, 10000);
}

TEST(Predicates, RelAbsRootCurrentParentDotfile) {
  const struct {
    const char* p;
    bool rel, root, cur, cur_prefix, par, par_prefix, dotfile;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"a", true, false, false, false, false, false, false},
      {".", true, false, true, true, false, false, false},
      {"./", true, false, true, true, false, false, false},
      {"./a", true, false, false, true, false, false, false},
      {".a", true, false, false, false, false, false, true},
      {"a/.", true, false, false, false, false, false, false},
      {"..", true, false, false, false, true, true, false},
      {"../", true, false, false, false, true, true, false},
      {"../a", true, false, false, false, false, true, false},
      {"..a", true, false, false, false, false, false, true},
      {"/a", false, false, false, false, false, false, false},
      {"//a", false, false, false, false, false, false, false, posix_only},
      {"/", false, true, false, false, false, false, false},
      {"//", false, true, false, false, false, false, false, posix_only},
      {"a/.git/", true, false, false, false, false, false, true},
      {"a/.b.c", true, false, false, false, false, false, true},
      {"a/..", true, false, false, false, false, false, false},
      {"a/b.c", true, false, false, false, false, false, false},
      {"C:a", true, false, false, false, false, false, false, windows_only},
      {R"(C:\a)", false, false, false, false, false, false, false, windows_only},
      {R"(\\srv\shr\a)", false, false, false, false, false, false, false, windows_only},
      {R"(C:\)", false, true, false, false, false, false, false, windows_only},
      {R"(\\srv\shr\)", false, true, false, false, false, false, false, windows_only},
      {"C:.", true, false, true, true, false, false, false, windows_only},
      {R"(C:.\)", true, false, true, true, false, false, false, windows_only},
      {R"(C:.\a)", true, false, false, true, false, false, false, windows_only},
      {R"(\\srv\shr\.\)", false, false, false, false, false, false, false, windows_only},
      {"C:..", true, false, false, false, true, true, false, windows_only},
      {R"(C:..\a)", true, false, false, false, false, true, false, windows_only},
      {R"(C:\x\.git\)", false, false, false, false, false, false, true, windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    const auto p = s.path(row.p);
    EXPECT_EQ(is_rel(p), row.rel);
    EXPECT_EQ(is_abs(p), !row.rel);
    EXPECT_EQ(is_root(p), row.root);
    EXPECT_EQ(is_current_dir(p), row.cur);
    EXPECT_EQ(is_current_dir(p, {.prefix = true}), row.cur_prefix);
    EXPECT_EQ(is_parent_dir(p), row.par);
    EXPECT_EQ(is_parent_dir(p, {.prefix = true}), row.par_prefix);
    EXPECT_EQ(is_dotfile(p), row.dotfile);
  });
}

TEST(Comparison, IsOnBytesAndPrintsTheBytes) {
  EXPECT_FALSE(equal(px("a/b"), px("a/b/")));
  EXPECT_FALSE(equal(px("a/./b"), px("a/b")));
  EXPECT_TRUE(equal(px("a//b"), px("a/b")));
  EXPECT_FALSE(equal(wn(R"(C:\a)"), wn(R"(c:\a)")));
  EXPECT_EQ(compare(px("a"), px("a/c")), -1);
  EXPECT_EQ(compare(px("b"), px("a/c")), 1);
  EXPECT_EQ(compare(px("a"), px("a")), 0);
  EXPECT_EQ(compare(px("a"), px("\xff")), -1);
  EXPECT_EQ(to_string(px("a//b")), "a/b");
  EXPECT_EQ(print_to_string([](formatter& f) { pp(f, px("a/b c")); }), "a/b c");
  EXPECT_EQ(print_to_string([](formatter& f) { dump(f, wn("C:/a\"b")); }), R"("C:\\a\"b")");
}

}  // namespace
}  // namespace corso::test
