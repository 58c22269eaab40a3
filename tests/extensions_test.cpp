#include <gtest/gtest.h>

#include "segments.hpp"
#include "test_util.hpp"

namespace corso::test {
namespace {

constexpr ext_options multi{.multi_ext = true};

TEST(Extensions, SingleAndMultiple) {
  const struct {
    const char* p;
    const char* single;
    const char* multiple;
    bool exists, exists_multi;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"a/b.tar.gz", ".gz", ".tar.gz", true, true},
      {"/a/b.txt", ".txt", ".txt", true, false},
      {".bashrc", "", "", false, false},
      {".bashrc.bak", ".bak", ".bak", true, false},
      {"a/.", "", "", false, false},
      {"a/..", "", "", false, false},
      {".", "", "", false, false},
      {"..", "", "", false, false},
      {"...", "", "", false, false},
      {"..a", "", "", false, false},
      {"a.", ".", ".", true, false},
      {"a..", ".", "..", true, true},
      {"a.b.", ".", ".b.", true, true},
      {"a..b", ".b", "..b", true, true},
      {".a.b", ".b", ".b", true, false},
      {"a/b/", "", "", false, false},
      {"a.b/", ".b", ".b", true, false},
      {"a.tar.gz/", ".gz", ".tar.gz", true, true},
      {"a b.c d", ".c d", ".c d", true, false},
      {"/", "", "", false, false},
      {"//", "", "", false, false, posix_only},
      {"x.y/a", "", "", false, false},
      {R"(C:\a\b.tar.gz)", ".gz", ".tar.gz", true, true, windows_only},
      {"C:a.b", ".b", ".b", true, false, windows_only},
      {R"(C:\)", "", "", false, false, windows_only},
      {R"(\\srv\share\)", "", "", false, false, windows_only},
      {R"(\\.\dev\x.y)", ".y", ".y", true, false, windows_only},
      {R"(\\s.x\h.y\)", "", "", false, false, windows_only},  // the volume is never examined
  };
  for_each_row(rows, [](auto s, const auto& row) {
    const auto p = s.path(row.p);
    EXPECT_EQ(get_ext(p), row.single);
    EXPECT_EQ(get_ext(p, multi), row.multiple);
    EXPECT_EQ(exists_ext(p), row.exists);
    EXPECT_EQ(exists_ext(p, multi), row.exists_multi);
  });
}

TEST(Stem, IsTheBaseNameWithoutItsExtension) {
  const struct {
    const char* p;
    const char* single;
    const char* multiple;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"a/b.tar.gz", "b.tar", "b"},
      {"a.b/", "a", "a"},
      {".bashrc", ".bashrc", ".bashrc"},
      {".bashrc.bak", ".bashrc", ".bashrc"},
      {"a.", "a", "a"},
      {"a..b", "a.", "a"},
      {"...", "...", "..."},
      {"a/..", "", ""},
      {".", "", ""},
      {"/", "", ""},
      {"x.y/a", "a", "a"},
      {R"(C:\x\y.txt)", "y", "y", windows_only},
      {"C:a.b", "a", "a", windows_only},
      {R"(\\s.x\h.y\)", "", "", windows_only},  // the volume is never examined
  };
  for_each_row(rows, [](auto s, const auto& row) {
    EXPECT_EQ(stem(s.path(row.p)), row.single);
    EXPECT_EQ(stem(s.path(row.p), multi), row.multiple);
  });
}

TEST(HasExt, MatchesWholeComponentsAtTheEnd) {
  const posix_path p = px("a/b.tar.gz");
  for (const char* yes : {".gz", "gz", "tar.gz", ".tar.gz"}) EXPECT_TRUE(has_ext(yes, p)) << yes;
  for (const char* no : {"ar.gz", "z", "r.gz", "b.tar.gz", ".", ""}) EXPECT_FALSE(has_ext(no, p)) << no;
  EXPECT_TRUE(has_ext("", px("a.")));
  EXPECT_TRUE(has_ext(".", px("a.")));
  EXPECT_FALSE(has_ext("", px("a.b")));
  EXPECT_FALSE(has_ext("bashrc", px(".bashrc")));
  EXPECT_FALSE(has_ext("gz", px("a.tgz")));
  EXPECT_TRUE(has_ext(".b", px("a.b/")));
  EXPECT_TRUE(has_ext("b", px("a..b")));
  EXPECT_TRUE(mem_ext({".zip", "gz"}, p));
  EXPECT_FALSE(mem_ext(std::vector<std::string>{}, p));
  EXPECT_FALSE(mem_ext({"zip"}, p));
}

TEST(HasExt, TheByteBeforeAMatchIsInsideTheExtension) {
  EXPECT_TRUE(has_ext("b", wn("C:a.b")));  // the extension's own '.'
  EXPECT_TRUE(has_ext("a.b", px("x.a.b")));
  EXPECT_FALSE(has_ext("a.b", px("x.xa.b")));
  EXPECT_TRUE(has_ext("xa.b", px("x.xa.b")));
}

TEST(AddExt, InsertsBeforeATrailingSeparator) {
  const struct {
    const char* ext;
    const char* p;
    answer out;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"gz", "a/b.tar", "a/b.tar.gz"},
      {".gz", "a/b.tar", "a/b.tar.gz"},
      {"tar.gz", "a", "a.tar.gz"},
      {"x", "a/b/", "a/b.x/"},
      {"x", "a.b/", "a.b.x/"},
      {"x", ".bashrc", ".bashrc.x"},
      {"x", "a.", "a..x"},
      {"x", "...", "....x"},
      {".", "a", "a."},
      {"..", "a", "a.."},
      {"x", "//a", "//a.x", posix_only},
      {"x", "a/.", "a/."},
      {"x", "a/..", "a/.."},
      {"x", ".", "."},
      {"x", "..", ".."},
      {"x", "/", "/"},
      {"x", "//", "//", posix_only},
      {"", "a", "a"},
      {"b\\c", "a", "a.b\\c", posix_only},
      {"x", R"(C:\a\b)", R"(C:\a\b.x)", windows_only},
      {"x", "C:a", "C:a.x", windows_only},
      {"x", R"(C:\)", R"(C:\)", windows_only},
      {"x", R"(\\srv\share\)", R"(\\srv\share\)", windows_only},
      {".txt", R"(\\srv\share\a\)", R"(\\srv\share\a.txt\)", windows_only},
      {"s:t", R"(C:\a)", R"(C:\a.s:t)", windows_only},  // a volume: ':' is a plain byte
  };
  for_each_row(rows, [](auto s, const auto& row) {
    EXPECT_EQ(add_ext(row.ext, s.path(row.p)).to_string(), s.want(row.out));
    EXPECT_EQ((s.path(row.p) + row.ext).to_string(), s.want(row.out));
  });
}

TEST(AddExt, RefusesExtensionsThatAreNotSegments) {
  using namespace std::string_literals;
  EXPECT_EQ(invalid_argument_message([] { (void)add_ext("a/b", px("/")); }), R"("a/b": invalid extension)");
  EXPECT_EQ(invalid_argument_message([] { (void)add_ext("a\0"s, px("x")); }), R"("a\x00": invalid extension)");
  EXPECT_EQ(invalid_argument_message([] { (void)add_ext(R"(a\b)", wn("x")); }), R"("a\\b": invalid extension)");
  EXPECT_EQ(invalid_argument_message([] { (void)add_ext("a/b", wn("x")); }), R"("a/b": invalid extension)");
  EXPECT_EQ(invalid_argument_message([] { (void)(px("x") + "a/b"); }), R"("a/b": invalid extension)");
  EXPECT_EQ(invalid_argument_message([] { (void)(px("x.y") % "a/b"); }), R"("a/b": invalid extension)");
  // Without a volume a ':' would make one: a.b:c reads as the volume a.b:.
  EXPECT_EQ(invalid_argument_message([] { (void)add_ext("b:c", wn("a")); }), R"("b:c": invalid extension)");
  EXPECT_EQ(invalid_argument_message([] { (void)add_ext(":", wn(R"(\)")); }), R"(":": invalid extension)");
  EXPECT_EQ(invalid_argument_message([] { (void)set_ext("b:", wn("a.x")); }), R"("b:": invalid extension)");
  EXPECT_EQ(invalid_argument_message([] { (void)(wn("a.x") % ":"); }), R"(":": invalid extension)");
}

TEST(RemAndSplitExt, KeepTheNameAndTheTrailingSeparator) {
  const struct {
    const char* p;
    answer rem, rem_multi;
    const char* ext;
    const char* ext_multi;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"a/b.tar.gz", "a/b.tar", "a/b", ".gz", ".tar.gz"},
      {"x.y.z", "x.y", "x", ".z", ".y.z"},
      {"a/b.c/", "a/b/", "a/b/", ".c", ".c"},
      {"a.tar.gz/", "a.tar/", "a/", ".gz", ".tar.gz"},
      {"a.", "a", "a", ".", "."},
      {"a..", "a.", "a", ".", ".."},
      {"//a.b/", "//a/", "//a/", ".b", ".b", posix_only},
      {".bashrc", ".bashrc", ".bashrc", "", ""},
      {"a/.", "a/.", "a/.", "", ""},
      {"/", "/", "/", "", ""},
      {R"(C:\a\b.tar.gz)", R"(C:\a\b.tar)", R"(C:\a\b)", ".gz", ".tar.gz", windows_only},
      {"C:a.b", "C:a", "C:a", ".b", ".b", windows_only},
      {R"(\\srv\share\a.b\)", R"(\\srv\share\a\)", R"(\\srv\share\a\)", ".b", ".b", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    const auto p = s.path(row.p);
    EXPECT_EQ(rem_ext(p).to_string(), s.want(row.rem));
    EXPECT_EQ(rem_ext(p, multi).to_string(), s.want(row.rem_multi));
    EXPECT_EQ(split_ext(p), std::make_pair(s.path(s.want(row.rem)), std::string(row.ext)));
    EXPECT_EQ(split_ext(p, multi), std::make_pair(s.path(s.want(row.rem_multi)), std::string(row.ext_multi)));
  });
}

TEST(SetExt, RemovesThenAdds) {
  EXPECT_EQ(set_ext(".x", px("a/b.tar.gz")).to_string(), "a/b.tar.x");
  EXPECT_EQ(set_ext(".x", px("a/b.tar.gz"), multi).to_string(), "a/b.x");
  EXPECT_EQ(set_ext(".x", px("a/b/")).to_string(), "a/b.x/");
  EXPECT_EQ(set_ext(".x", px("a.b/")).to_string(), "a.x/");
  EXPECT_EQ(set_ext("", px("a.b")).to_string(), "a");
  EXPECT_EQ(set_ext(".x", px(".bashrc")).to_string(), ".bashrc.x");
  EXPECT_EQ(set_ext("x", px("a.")).to_string(), "a.x");
  EXPECT_EQ((px("a/b") + "txt").to_string(), "a/b.txt");
  EXPECT_EQ((px("a/b.tar.gz") % "zip").to_string(), "a/b.tar.zip");
  EXPECT_EQ((wn(R"(C:\a.b\)") % "c").to_string(), R"(C:\a.c\)");
}

// Over generated paths: every edit gives a valid path, and removing what
// was added gives the path back wherever adding changed it, but for names
// made only of dots, which never carry an extension (... + x is ....x).
template <path_syntax S>
void check_edits(const basic_path<S>& p) {
  SCOPED_TRACE(p.to_string());
  for (const char* ext : {"x", ".tar.gz", "."}) {
    const basic_path<S> added = add_ext(ext, p);
    EXPECT_TRUE(is_valid_path<S>(added.view()));
    const std::string name = basename(p);
    if (added == p || name.find_first_not_of('.') == name.npos) continue;
    EXPECT_TRUE(has_ext(ext, added));
    if (std::string_view(ext) == "x") {
      EXPECT_EQ(rem_ext(added), p);
    }
  }
  for (const ext_options o : {ext_options{}, multi}) {
    EXPECT_EQ(stem(p, o) + get_ext(p, o), basename(p));
    const auto [kept, e] = split_ext(p, o);
    EXPECT_TRUE(is_valid_path<S>(kept.view()));
    EXPECT_EQ(kept, rem_ext(p, o));
    EXPECT_EQ(e, get_ext(p, o));
    EXPECT_EQ(is_dir_path(kept), is_dir_path(p));
    if (!e.empty()) {
      EXPECT_EQ(add_ext(e, kept), p);
    }
  }
}

TEST(Extensions, EditsOverGeneratedPaths) {
  path_generator gen(5);
  for (int i = 0; i < 3000; ++i) {
    if (auto p = posix_path::of_string(gen.posix())) check_edits(*p);
    if (auto p = windows_path::of_string(gen.windows())) check_edits(*p);
  }
}

// The walk back from the end finds the same view, at the same place, as the
// extension of the last non-empty segment.
template <path_syntax S>
void expect_roads_agree(std::string_view p) {
  const std::string_view fast = detail::sub_single_ext_of_path<S>(p);
  const std::string_view plain = detail::sub_single_ext(detail::sub_last_non_empty_seg<S>(p));
  EXPECT_EQ(fast, plain) << p;
  if (!plain.empty()) {
    EXPECT_EQ(fast.data(), plain.data()) << p;
  }
}

TEST(Extensions, TheWalkFromTheEndAgreesWithTheLastSegment) {
  path_generator gen(9);
  for (int i = 0; i < 20000; ++i) {
    if (auto p = posix_path::of_string(gen.posix())) expect_roads_agree<posix_syntax>(p->view());
    if (auto p = windows_path::of_string(gen.windows())) expect_roads_agree<windows_syntax>(p->view());
  }
  // Dots, separators and ':' packed around the last sixteen bytes, read at once.
  std::mt19937 rng(3);
  const char alphabet[] = {'a', '.', '/', '\\', ':', 'b'};
  for (int i = 0; i < 20000; ++i) {
    std::string s;
    for (std::size_t k = rng() % 40; k > 0; --k) s += alphabet[rng() % 6];
    if (auto p = posix_path::of_string(s)) expect_roads_agree<posix_syntax>(p->view());
    if (auto p = windows_path::of_string(s)) expect_roads_agree<windows_syntax>(p->view());
  }
  for (const char* p : {"/", "a.", ".a", "a..b", "..", "a/.b/", "x.y/", "//a.b"}) expect_roads_agree<posix_syntax>(p);
  for (const char* p : {R"(C:.txt)", R"(C:a.txt)", R"(\\s.x\h.y\)", R"(\\s\h\a.b)", R"(C:\x\f.t:s)", R"(a:b.c)",
                        R"(\\?\UNC\s\h.y\)", R"(\\?\C:\a.txt)", R"(\\.\pipe.x\a.b)", R"(\\.\pipe.x\)"}) {
    expect_roads_agree<windows_syntax>(p);
  }
}

// Under Windows the last segments come from one search for a separator or a
// ':'; the plain reading takes them after the volume, every time.
TEST(LastSegments, OneSearchAgreesWithTheSegmentsAfterTheVolume) {
  std::mt19937 rng(5);
  const char alphabet[] = {'a', ':', '\\', '/', '?', '.', 'U', 'N', 'C', 'b'};
  for (int i = 0; i < 40000; ++i) {
    std::string s;
    for (std::size_t k = rng() % 24; k > 0; --k) s += alphabet[rng() % 10];
    const auto w = windows_path::of_string(s);
    if (!w) continue;
    const std::string_view rest = detail::volume_of<windows_syntax>(w->view()).rest;
    EXPECT_EQ(detail::sub_last_seg<windows_syntax>(w->view()), detail::_sub_last_seg<'\\'>(rest)) << *w;
    EXPECT_EQ(detail::sub_last_non_empty_seg<windows_syntax>(w->view()), detail::_sub_last_non_empty_seg<'\\'>(rest))
        << *w;
  }
}

// The views are the owned answers where they lie in p: an empty one
// included, it never points elsewhere.
template <path_syntax S>
void expect_views_lie_in(const basic_path<S>& p) {
  const std::string_view bytes = p.view();
  const auto in_p = [&](std::string_view v) {
    return v.empty() || (v.data() >= bytes.data() && v.data() + v.size() <= bytes.data() + bytes.size());
  };
  for (const ext_options o : {ext_options{}, ext_options{.multi_ext = true}}) {
    EXPECT_TRUE(in_p(get_ext_view(p, o)));
    EXPECT_EQ(get_ext_view(p, o), get_ext(p, o)) << p;
    EXPECT_TRUE(in_p(stem_view(p, o)));
    EXPECT_EQ(stem_view(p, o), stem(p, o)) << p;
  }
  EXPECT_TRUE(in_p(filename_view(p)));
  EXPECT_TRUE(in_p(basename_view(p)));
  EXPECT_EQ(filename_view(p), filename(p)) << p;
  EXPECT_EQ(basename_view(p), corso::basename(p)) << p;
}

TEST(Views, LieInThePathAndRefuseATemporary) {
  // A view of a temporary path would dangle: the call does not compile.
  static_assert(!std::invocable<decltype(get_ext_view), posix_path>);
  static_assert(!std::invocable<decltype(stem_view), windows_path, ext_options>);
  static_assert(!std::invocable<decltype(filename_view), posix_path>);
  static_assert(!std::invocable<decltype(basename_view), windows_path>);
  static_assert(std::invocable<decltype(get_ext_view), const posix_path&>);
  path_generator gen(21);
  for (int i = 0; i < 2000; ++i) {
    if (const auto p = posix_path::of_string(gen.posix())) expect_views_lie_in(*p);
    if (const auto w = windows_path::of_string(gen.windows())) expect_views_lie_in(*w);
  }
  const posix_path p = px("src/corso.tar.gz");
  EXPECT_EQ(get_ext_view(p).data(), p.view().data() + 13);
  EXPECT_EQ(stem_view(p, {.multi_ext = true}), "corso");
}

}  // namespace
}  // namespace corso::test
