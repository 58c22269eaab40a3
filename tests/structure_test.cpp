#include <gtest/gtest.h>

#include <algorithm>
#include <concepts>
#include <iterator>
#include <ranges>
#include <string>
#include <vector>

#include "segments.hpp"
#include "test_util.hpp"

namespace corso::test {
namespace {

TEST(EndOfPath, DirectoryFileBaseParent) {
  const struct {
    const char* p;
    bool is_dir;
    answer filename, dir, base, basename, parent, rem_empty_seg, to_dir_path;
    syntaxes only = syntaxes::both;
  } rows[] = {
      // path  dir    filename dir  base basename parent  rem   to_dir
      {"/", true, "", "/", "./", "", "/", "/", "/"},
      {"//", true, "", "//", "./", "", "//", "//", "//", posix_only},
      {"a", false, "a", "./", "a", "a", "./", "a", "a/"},
      {"a/", true, "", "./", "a/", "a", "./", "a", "a/"},
      {".", true, "", "./", ".", "", "./../", ".", "./"},
      {"./", true, "", "./", "./", "", "./../", ".", "./"},
      {"..", true, "", "./", "..", "", "../../", "..", "../"},
      {"../", true, "", "./", "../", "", "../../", "..", "../"},
      {"../..", true, "", "../", "..", "", "../../../", "../..", "../../"},
      {"/..", true, "", "/", "..", "", "/../../", "/..", "/../"},
      {"/.", true, "", "/", ".", "", "/./../", "/.", "/./"},
      {"/a", false, "a", "/", "a", "a", "/", "/a", "/a/"},
      {"/a/", true, "", "/", "a/", "a", "/", "/a", "/a/"},
      {"a/b", false, "b", "a/", "b", "b", "a/", "a/b", "a/b/"},
      {"a/b/", true, "", "a/", "b/", "b", "a/", "a/b", "a/b/"},
      {"a/.", true, "", "a/", ".", "", "a/./../", "a/.", "a/./"},
      {"a/..", true, "", "a/", "..", "", "a/../../", "a/..", "a/../"},
      {"//a", false, "a", "//", "a", "a", "//", "//a", "//a/", posix_only},
      {"//a/", true, "", "//", "a/", "a", "//", "//a", "//a/", posix_only},
      {".a", false, ".a", "./", ".a", ".a", "./", ".a", ".a/"},
      {"a\\b", false, "a\\b", "./", "a\\b", "a\\b", "./", "a\\b", "a\\b/", posix_only},
      {"x/...", false, "...", "x/", "...", "...", "x/", "x/...", "x/.../"},
      {R"(C:\)", true, "", R"(C:\)", R"(.\)", "", R"(C:\)", R"(C:\)", R"(C:\)", windows_only},
      {"C:a", false, "a", R"(C:.\)", "a", "a", R"(C:.\)", "C:a", R"(C:a\)", windows_only},
      {R"(C:a\)", true, "", R"(C:.\)", R"(a\)", "a", R"(C:.\)", "C:a", R"(C:a\)", windows_only},
      {"C:.", true, "", R"(C:.\)", ".", "", R"(C:.\..\)", "C:.", R"(C:.\)", windows_only},
      {"C:..", true, "", R"(C:.\)", "..", "", R"(C:..\..\)", "C:..", R"(C:..\)", windows_only},
      {R"(C:\a)", false, "a", R"(C:\)", "a", "a", R"(C:\)", R"(C:\a)", R"(C:\a\)", windows_only},
      {R"(C:\a\)", true, "", R"(C:\)", R"(a\)", "a", R"(C:\)", R"(C:\a)", R"(C:\a\)", windows_only},
      {R"(\\srv\sh\)", true, "", R"(\\srv\sh\)", R"(.\)", "", R"(\\srv\sh\)", R"(\\srv\sh\)", R"(\\srv\sh\)",
       windows_only},
      {R"(\\srv\sh\a)", false, "a", R"(\\srv\sh\)", "a", "a", R"(\\srv\sh\)", R"(\\srv\sh\a)", R"(\\srv\sh\a\)",
       windows_only},
      {R"(\\srv\sh\a\)", true, "", R"(\\srv\sh\)", R"(a\)", "a", R"(\\srv\sh\)", R"(\\srv\sh\a)", R"(\\srv\sh\a\)",
       windows_only},
      {R"(\\?\UNC\s\h\a\b)", false, "b", R"(\\?\UNC\s\h\a\)", "b", "b", R"(\\?\UNC\s\h\a\)", R"(\\?\UNC\s\h\a\b)",
       R"(\\?\UNC\s\h\a\b\)", windows_only},
      {R"(\\?\C:\)", true, "", R"(\\?\C:\)", R"(.\)", "", R"(\\?\C:\)", R"(\\?\C:\)", R"(\\?\C:\)", windows_only},
      {"ab:c", false, "c", R"(ab:.\)", "c", "c", R"(ab:.\)", "ab:c", R"(ab:c\)", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    const auto p = s.path(row.p);
    using path = decltype(p);
    EXPECT_EQ(is_dir_path(p), row.is_dir);
    EXPECT_EQ(is_file_path(p), !row.is_dir);
    EXPECT_EQ(filename(p), s.want(row.filename));
    const auto [dir, b] = split_base(p);
    EXPECT_EQ(dir.to_string(), s.want(row.dir));
    EXPECT_EQ(b.to_string(), s.want(row.base));
    EXPECT_EQ(base(p).to_string(), s.want(row.base));
    EXPECT_EQ(basename(p), s.want(row.basename));
    EXPECT_EQ(parent(p).to_string(), s.want(row.parent));
    EXPECT_EQ(rem_empty_seg(p).to_string(), s.want(row.rem_empty_seg));
    EXPECT_EQ(rem_empty_seg(path(p)).to_string(), s.want(row.rem_empty_seg));
    EXPECT_EQ(to_dir_path(p).to_string(), s.want(row.to_dir_path));
    EXPECT_EQ(to_dir_path(path(p)).to_string(), s.want(row.to_dir_path));
  });
}

TEST(AddSegAndAppend, JoinWithOneSeparatorAndVolumesDecideWhatSurvives) {
  const struct {
    const char* a;
    const char* b;
    answer out;
    syntaxes only = syntaxes::both;
  } seg_rows[] = {
      {"a", "b", "a/b"},
      {"a/", "b", "a/b"},
      {"/", "b", "/b"},
      {"//", "b", "//b", posix_only},
      {"a", "", "a/"},
      {"a/", "", "a/"},
      {"a", "..", "a/.."},
      {"a", "b\\c", "a/b\\c", posix_only},
      {"a", "b:c", "a/b:c", posix_only},
      {R"(C:\a)", "b", R"(C:\a\b)", windows_only},
      {R"(C:\)", "", R"(C:\)", windows_only},
      {"C:a", "b:c", R"(C:a\b:c)", windows_only},  // the path has a volume: a later ':' is a plain byte
      {R"(\\s\h\)", "x:", R"(\\s\h\x:)", windows_only},
  };
  for_each_row(seg_rows, [](auto s, const auto& row) {
    const auto p = s.path(row.a);
    EXPECT_EQ(add_seg(p, row.b).to_string(), s.want(row.out));
    EXPECT_EQ((p / row.b).to_string(), s.want(row.out));
    EXPECT_EQ((s.path(row.a) / row.b).to_string(), s.want(row.out));
  });
  const struct {
    const char* a;
    const char* b;
    answer out;
    syntaxes only = syntaxes::both;
  } append_rows[] = {
      {"a", "b", "a/b"},
      {"a/", "b", "a/b"},
      {"a", "b/", "a/b/"},
      {"/a/", "../b", "/a/../b"},
      {"a", "/b", "/b"},
      {"a", "//b", "//b", posix_only},
      {".", "a", "./a"},
      {"//", "a", "//a", posix_only},
      {R"(C:\a)", "b", R"(C:\a\b)", windows_only},
      {"C:a", "b", R"(C:a\b)", windows_only},
      {R"(\\srv\sh\)", "x", R"(\\srv\sh\x)", windows_only},
      {R"(C:\a)", R"(\b)", R"(\b)", windows_only},
      {R"(C:\a)", "D:b", "D:b", windows_only},
      {"x", "y:z", {"x/y:z", "y:z"}},
      {R"(C:\a)", R"(\\srv\sh\x)", R"(\\srv\sh\x)", windows_only},
  };
  for_each_row(append_rows, [](auto s, const auto& row) {
    const auto p0 = s.path(row.a);
    EXPECT_EQ(append(p0, s.path(row.b)).to_string(), s.want(row.out));
    EXPECT_EQ((p0 / s.path(row.b)).to_string(), s.want(row.out));
    EXPECT_EQ((s.path(row.a) / s.path(row.b)).to_string(), s.want(row.out));
  });
}

TEST(SlashWithText, AppendsARelativePathAndNeverReplacesTheFirst) {
  using namespace std::string_literals;
  const struct {
    const char* a;
    std::string b;
    answer out;  // the path, or the message of the std::invalid_argument
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"/srv", "img/logo.png", "/srv/img/logo.png"},
      {"a", "../b", "a/../b"},  // nothing is resolved
      {"a/", "b//c/", "a/b/c/"},
      {"a", "", "a/"},  // a segment: add_seg
      {"a", ".", "a/."},
      {"/srv", "/etc", {R"("/etc": is absolute)", R"("/etc": is absolute)"}},
      {"/srv", "//h/x", R"("//h/x": has a volume)", posix_only},
      {"/srv", "a/\0b"s, {R"("a/\x00b": invalid path)", R"("a\\\x00b": invalid path)"}},
      {R"(C:\a)", "f.txt:s", R"(C:\a\f.txt:s)", windows_only},
      {R"(C:\a)", "b/c", R"(C:\a\b\c)", windows_only},
      {R"(C:\srv)", "D:x", R"(C:\srv\D:x)", windows_only},  // a segment: after a volume ':' is a plain byte
      {R"(C:\srv)", "D:x/y", R"("D:x/y": has a volume)", windows_only},
      {R"(C:\srv)", R"(\\h\s\x)", R"("\\\\h\\s\\x": has a volume)", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    const auto p = s.path(row.a);
    using path = decltype(p);
    const auto joined = [&] { return (p / row.b).to_string(); };
    const std::string message = invalid_argument_message(joined);
    EXPECT_EQ(message == "no exception" ? joined() : message, s.want(row.out));
    const std::string rvalue = invalid_argument_message([&] { (void)(path(p) / row.b); });
    EXPECT_EQ(rvalue == "no exception" ? (path(p) / row.b).to_string() : rvalue, s.want(row.out));
  });
}

TEST(AddSeg, RefusesSegmentsThatWouldBreakThePath) {
  using namespace std::string_literals;
  EXPECT_EQ(invalid_argument_message([] { (void)add_seg(px("a"), "b/c"); }), R"("b/c": invalid segment)");
  EXPECT_EQ(invalid_argument_message([] { (void)add_seg(px("a"), "b\0"s); }), R"("b\x00": invalid segment)");
  EXPECT_EQ(invalid_argument_message([] { (void)add_seg(wn(R"(C:\a)"), "b/c"); }), R"("b/c": invalid segment)");
  EXPECT_EQ(invalid_argument_message([] { (void)add_seg(wn(R"(C:\a)"), R"(b\c)"); }), R"("b\\c": invalid segment)");
  // Without a volume, a ':' would turn what precedes it into one (a\b:c) or
  // end the path at its first ':' (a\:).
  EXPECT_EQ(invalid_argument_message([] { (void)add_seg(wn("a"), ":"); }), R"(":": invalid segment)");
  EXPECT_EQ(invalid_argument_message([] { (void)(wn(R"(\a)") / "b:c"); }), R"("b:c": invalid segment)");
  const windows_path unchanged = wn("a");
  EXPECT_THROW((void)add_seg(windows_path(unchanged), "b:c"), std::invalid_argument);
  EXPECT_EQ(unchanged.to_string(), "a");
}

TEST(SplitVolumeAndSegs, PutBackTogetherGiveThePath) {
  using strings = std::vector<std::string>;
  const struct {
    const char* p;
    answer volume, rest;
    strings segs;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"/", "", "/", {"", ""}},
      {"//", "/", "/", {"", ""}, posix_only},
      {"//a/b/", "/", "/a/b/", {"", "a", "b", ""}, posix_only},
      {"a", "", "a", {"a"}},
      {"/a", "", "/a", {"", "a"}},
      {"//a", "/", "/a", {"", "a"}, posix_only},
      {"a/b", "", "a/b", {"a", "b"}},
      {R"(C:\a)", "C:", R"(\a)", {"", "a"}, windows_only},
      {"C:a", "", "C:a", {"C:a"}, posix_only},  // ':' is a plain byte under POSIX
      {"C:a", "C:", "a", {"a"}, windows_only},
      {R"(\\srv\sh\)", R"(\\srv\sh)", R"(\)", {"", ""}, windows_only},
      {R"(\\srv\sh\a\b)", R"(\\srv\sh)", R"(\a\b)", {"", "a", "b"}, windows_only},
      {R"(\\?\C:\x)", R"(\\?\C:)", R"(\x)", {"", "x"}, windows_only},
      {R"(\\?\UNC\s\h\x)", R"(\\?\UNC\s\h)", R"(\x)", {"", "x"}, windows_only},
      {R"(\\?\unc\s\h)", R"(\\?\unc\s)", R"(\h)", {"", "h"}, windows_only},
      {R"(\\.\COM1\)", R"(\\.\COM1)", R"(\)", {"", ""}, windows_only},
      {R"(\\.\UNC\s\h\x)", R"(\\.\UNC\s\h)", R"(\x)", {"", "x"}, windows_only},
      {R"(\\.\unc\s\h\)", R"(\\.\unc\s\h)", R"(\)", {"", ""}, windows_only},  // device names ignore case
      {"C:a:", "C:", "a:", {"a:"}, windows_only},  // strings: the rest is not always a path on its own
      {"ab:c:", "ab:", "c:", {"c:"}, windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    EXPECT_EQ(split_volume(s.path(row.p)), std::make_pair(s.want(row.volume), s.want(row.rest)));
    EXPECT_EQ(segs(s.path(row.p)), row.segs);
  });
}

// segments(p) is segs(p) as views into p, allocating nothing.
template <path_syntax S>
void expect_segments_are_segs(const basic_path<S>& p) {
  std::vector<std::string> viewed;
  for (std::string_view seg : segments(p)) {
    ASSERT_TRUE(seg.data() >= p.view().data() && seg.data() + seg.size() <= p.view().data() + p.view().size());
    viewed.emplace_back(seg);
  }
  EXPECT_EQ(viewed, segs(p)) << p;
}

TEST(Segments, AreTheSegsAsViewsIntoThePath) {
  static_assert(std::ranges::forward_range<segments_view<posix_syntax>>);
  static_assert(std::ranges::view<segments_view<windows_syntax>>);
  // A view of a temporary path would dangle: the call does not compile.
  static_assert(!std::invocable<decltype(segments), posix_path>);
  static_assert(std::invocable<decltype(segments), posix_path&>);
  path_generator gen(11);
  for (int i = 0; i < 2000; ++i) {
    if (const auto p = posix_path::of_string(gen.posix())) expect_segments_are_segs(*p);
    if (const auto w = windows_path::of_string(gen.windows())) expect_segments_are_segs(*w);
  }
  expect_segments_are_segs(wn(R"(\\srv\sh\)"));
  const posix_path p = px("/a/b/");
  EXPECT_EQ(std::distance(segments(p).begin(), segments(p).end()), 4);
}

TEST(SplitBase, RefusesAWindowsBaseThatWouldReadAsAVolume) {
  EXPECT_EQ(invalid_argument_message([] { (void)split_base(wn("C:a:")); }), R"("a:": invalid path)");
  EXPECT_EQ(invalid_argument_message([] { (void)base(wn(R"(C:\x\f.txt:s)")); }), R"("f.txt:s": invalid path)");
  EXPECT_EQ(invalid_argument_message([] { (void)base(wn(R"(\\s\h\a:b\)")); }), R"("a:b\\": invalid path)");
  // The directory part keeps the volume, so only the base is at stake.
  EXPECT_EQ(split_base(wn(R"(C:\a:b\c)")).first.to_string(), R"(C:\a:b\)");
  EXPECT_EQ(parent(wn(R"(C:\x\f.txt:s)")).to_string(), R"(C:\x\)");
  EXPECT_EQ(base(px("a:")).to_string(), "a:");  // ':' is a plain byte under POSIX
}

// Every operation of this unit over generated paths: results are valid paths
// of the same syntax, and the pieces put back together give the path.
template <path_syntax S>
void check_invariants(const basic_path<S>& p) {
  const std::string s = p.to_string();
  SCOPED_TRACE(s);
  const auto [volume, rest] = split_volume(p);
  EXPECT_EQ(volume + rest, s);
  const std::vector<std::string> ss = segs(p);
  std::string back;
  for (std::size_t i = 0; i < ss.size(); ++i) back += (i ? std::string(S::dir_sep) : "") + ss[i];
  EXPECT_EQ(back, S::is_windows ? rest : (volume.empty() ? s : s.substr(1)));
  for (const basic_path<S>& r : {to_dir_path(p), parent(p), rem_empty_seg(p), add_seg(p, "x"), append(p, p)}) {
    EXPECT_TRUE(is_valid_path<S>(r.view())) << r.view();
  }
  EXPECT_TRUE(is_dir_path(to_dir_path(p)));
  EXPECT_TRUE(is_dir_path(parent(p)));
  try {
    const auto [dir, b] = split_base(p);
    EXPECT_TRUE(is_valid_path<S>(dir.view())) << dir.view();
    EXPECT_TRUE(is_valid_path<S>(b.view())) << b.view();
    EXPECT_EQ(is_dir_path(b), is_dir_path(p));
  } catch (const std::invalid_argument&) {
    EXPECT_TRUE(S::is_windows);
  }
}

// The last segments and the parent of a Windows path are read on the whole
// path where that gives what the part after the volume gives; the plain
// road splits the volume off first.
void check_windows_roads(const windows_path& p) {
  SCOPED_TRACE(p.to_string());
  const auto [volume, rest] = detail::volume_of<windows_syntax>(p.view());
  EXPECT_EQ(detail::sub_last_seg<windows_syntax>(p.view()), detail::_sub_last_seg<'\\'>(rest));
  EXPECT_EQ(detail::sub_last_non_empty_seg<windows_syntax>(p.view()), detail::_sub_last_non_empty_seg<'\\'>(rest));
  std::string plain_parent;
  if (rest == "\\") {
    plain_parent = p.to_string();
  } else {
    const auto s = detail::_split_last_non_empty_seg<'\\'>(rest);
    if (detail::sub_is_rel_seg(s.split.right)) {
      plain_parent = std::string(volume) + std::string(rest) + (s.ends_in_seg ? "\\" : "") + "..\\";
    } else {
      plain_parent = std::string(volume) + (s.split.left.empty() ? ".\\" : std::string(s.split.left));
    }
  }
  EXPECT_EQ(parent(p).to_string(), plain_parent);
}

TEST(Structure, ResultsAreValidPathsOverGeneratedInput) {
  path_generator gen(20261210);
  for (int i = 0; i < 3000; ++i) {
    if (auto p = posix_path::of_string(gen.posix())) check_invariants(*p);
    if (auto p = windows_path::of_string(gen.windows())) {
      check_invariants(*p);
      check_windows_roads(*p);
    }
  }
  for (const char* p : {R"(\)", R"(C:\)", "C:a", "C:..", R"(\\s\h\)", R"(\\s\h\a:b)", R"(a:b\c:d\)", R"(\..)", "x:.",
                        R"(a\b:c)", R"(x\y:z\)"}) {
    check_windows_roads(wn(p));
  }
}

// Operations are function objects: passed as values without naming the
// syntax, each object taking paths of either syntax.
TEST(Operations, AreValuesForEitherSyntax) {
  const auto ps = posix_path_set::of_list({px("a/b"), px("a/c"), px("d")});
  EXPECT_EQ(ps.map(corso::parent), posix_path_set::of_list({px("a/"), px("./")}));
  const auto ws = windows_path_set::of_list({wn(R"(C:\a\b)"), wn(R"(C:\a\c)")});
  EXPECT_EQ(ws.map(corso::parent), windows_path_set::singleton(wn(R"(C:\a\)")));

  const std::vector<posix_path> v{px("a/./b"), px("c/..")};
  std::vector<posix_path> out;
  std::transform(v.begin(), v.end(), std::back_inserter(out), corso::normalize);
  EXPECT_EQ(out, (std::vector<posix_path>{px("a/b"), px("./")}));
  EXPECT_TRUE(std::all_of(v.begin(), v.end(), corso::is_rel));
#ifdef __cpp_lib_ranges  // the range algorithms and views, which libc++ 14 lacks
  out.clear();
  std::ranges::transform(v, std::back_inserter(out), corso::normalize);
  EXPECT_EQ(out, (std::vector<posix_path>{px("a/b"), px("./")}));
  std::vector<std::string> names;
  std::ranges::copy(v | std::views::transform(corso::basename), std::back_inserter(names));
  EXPECT_EQ(names, (std::vector<std::string>{"b", ""}));
#endif
  EXPECT_TRUE(corso::mem_ext({".h", ".c"}, px("x.c")));

  // One object takes the paths of either syntax.
  EXPECT_EQ(relativize(px("/a"), px("/a/b")), px("b"));
  EXPECT_EQ(relativize(wn(R"(C:\a)"), wn(R"(C:\a\b)")), wn("b"));
}

}  // namespace
}  // namespace corso::test

// Outside namespace corso, an unqualified call no longer finds an operation
// by argument-dependent lookup: it names an object, which that lookup skips.
namespace elsewhere {
template <class P>
concept normalizes_by_adl = requires(const P& p) {
  normalize(p);
};
static_assert(!normalizes_by_adl<corso::posix_path>);
static_assert(std::invocable<decltype(corso::normalize), const corso::windows_path&>);
static_assert(!std::invocable<decltype(corso::normalize), const char*>);
}  // namespace elsewhere
