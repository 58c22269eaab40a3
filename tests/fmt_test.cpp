// corso/fmt.hpp: paths, sets and maps in fmt's format strings. Built only
// where fmt is found (CORSO_BUILD_FMT_TESTS).
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <corso/corso.hpp>
#include <corso/fmt.hpp>

#include "test_util.hpp"

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace corso::test {
namespace {

// One path formatted with one format string, as fmt reads it at run time.
struct format_row {
  const char* format;
  const char* p;
  answer out;
  syntaxes only = syntaxes::both;
};

TEST(Fmt, APathWritesItsBytesOrWithQuestionMarkItsDump) {
  const format_row rows[] = {
      {"{}", "a/b", "a/b"},
      {"{:s}", "a/b", "a/b"},
      {"{:?}", "a/b", {R"("a/b")", R"("a\\b")"}},
      {"{:?}", "C:/a/", R"("C:\\a\\")", windows_only},
      {"{:?}", R"(\\srv\share\x)", R"("\\\\srv\\share\\x")", windows_only},
      {"{:?}", R"(a\b)", R"("a\\b")", posix_only},  // a backslash is a byte of a name
      {"{:?}", "a\"b", R"("a\"b")"},
      // Every byte outside printable ASCII is escaped, UTF-8 included: the
      // text shows exactly the bytes of the path.
      {"{:?}", "caf\xc3\xa9", R"("caf\xc3\xa9")"},
      {"{:?}", "\x01\t\r\n\x1f\x7f", R"("\x01\t\r\n\x1f\x7f")"},
      {"{:?}", "\xff/\x80", {R"("\xff/\x80")", R"("\xff\\\x80")"}},
      {"{}", "caf\xc3\xa9\n", "caf\xc3\xa9\n"},
  };
  for_each_row(rows, [](auto s, const format_row& row) {
    EXPECT_EQ(fmt::format(fmt::runtime(row.format), s.path(row.p)), s.want(row.out));
  });
}

TEST(Fmt, FillAlignWidthAndPrecisionApplyToTheTextWritten) {
  const format_row rows[] = {
      {"{:>6}", "a/b", "   a/b"},
      {"{:<6}|", "a/b", "a/b   |"},
      {"{:*^9}", "a/b", "***a/b***"},
      {"{:*^12?}", "a/b", {R"(***"a/b"****)", R"(***"a\\b"***)"}},
      {"{:>8?}", "a", R"(     "a")"},
      {"{:?^7?}", "a", R"(??"a"??)"},  // '?' as fill is no type
      {"{:2}", "abcdef", "abcdef"},    // a width is a minimum
      {"{:.2}", "a/b", "a/"},
      {"{:.4?}", "a/b", {R"("a/b)", R"("a\\)"}},
      // Width counts the characters written: an escaped byte is four of
      // them, where fmt counts UTF-8 text by what it shows.
      {"{:>12?}", "\xc3\xa9", R"(  "\xc3\xa9")"},
      {"{:>3}", "\xc3\xa9", "  \xc3\xa9"},
  };
  for_each_row(rows, [](auto s, const format_row& row) {
    EXPECT_EQ(fmt::format(fmt::runtime(row.format), s.path(row.p)), s.want(row.out));
  });
}

TEST(Fmt, WidthsFromArgumentsAndArgumentIdsAroundQuestionMark) {
  // The format strings are checked at compile time; options ending in '?' are parsed
  // again without its '?', and the arguments after it must stay in place.
  const posix_path p = px("a/b");
  const windows_path w = wn("C:/a");
  EXPECT_EQ(fmt::format("{:>{}?}|{}", p, 8, 42), R"(   "a/b"|42)");
  EXPECT_EQ(fmt::format("{:-^{}.{}?}|{}|{}", p, 7, 3, w, 1), R"(--"a/--|C:\a|1)");
  EXPECT_EQ(fmt::format("{1:?} {0:<{2}}|", p, w, 5), R"("C:\\a" a/b  |)");
  EXPECT_EQ(fmt::format("{:^{w}?}", p, fmt::arg("w", 9)), R"(  "a/b"  )");
  EXPECT_EQ(fmt::format("{:?}{}", w, p), R"("C:\\a"a/b)");
}

TEST(Fmt, TheTypesOfAStringAloneAreAccepted) {
  const char* const formats[] = {"{:d}", "{:x}", "{:c}", "{:p}", "{:?s}", "{:s?}", "{:+}", "{:#}", "{:08}", "{:L?}"};
  const posix_path p = px("a");
  const posix_path_set set = posix_path_set::of_list({p});
  const posix_path_map<int> map = posix_path_map<int>::of_list({{p, 1}});
  for (const char* format : formats) {
    SCOPED_TRACE(format);
    EXPECT_THROW((void)fmt::format(fmt::runtime(format), p), fmt::format_error);
    EXPECT_THROW((void)fmt::format(fmt::runtime(format), wn("a")), fmt::format_error);
    EXPECT_THROW((void)fmt::format(fmt::runtime(format), set), fmt::format_error);
    EXPECT_THROW((void)fmt::format(fmt::runtime(format), map), fmt::format_error);
  }
}

TEST(Fmt, QuestionMarkWritesWhatDumpPrintsAndEmptyBracesTheBytes) {
  // Random bytes, with quotes, separators, control bytes and bytes >= 0x7f.
  const std::string alphabet("ab/\\.:\"\t\n\x01\x7f\x80\xc3\xa9\xff", 15);
  const auto check = [](const auto& parsed) {
    if (!parsed) return;
    EXPECT_EQ(fmt::format("{}", *parsed), parsed->to_string());
    EXPECT_EQ(fmt::format("{:?}", *parsed), print_to_string([&](formatter& f) { dump(f, *parsed); }));
  };
  std::mt19937 rng(7);
  for (int i = 0; i < 1000; ++i) {
    const exact_random_bytes bytes(rng, 24, alphabet);
    check(posix_path::of_string(bytes.view()));
    check(windows_path::of_string(bytes.view()));
  }
}

TEST(Fmt, ARangeOfPathsWritesTheirDumpsAsOneOfStrings) {
  const std::vector<posix_path> paths = {px("a/b"), px("caf\xc3\xa9")};
  EXPECT_EQ(fmt::format("{}", paths), R"(["a/b", "caf\xc3\xa9"])");
  EXPECT_EQ(fmt::format("{::}", paths), "[a/b, caf\xc3\xa9]");
  EXPECT_EQ(fmt::format("{}", std::vector<windows_path>{wn("C:/a")}), R"(["C:\\a"])");
}

TEST(Fmt, SetsAndMapsWriteTheirDumpOnOneLine) {
  const posix_path_set posix = posix_path_set::of_list({px("b/c"), px("a"), px("caf\xc3\xa9")});
  const windows_path_set windows = windows_path_set::of_list({wn("C:/a"), wn("b")});
  const posix_path_map<int> numbers = posix_path_map<int>::of_list({{px("b/c"), 2}, {px("a"), 1}});
  const windows_path_map<posix_path> targets = windows_path_map<posix_path>::of_list({{wn("C:/a"), px("x/y")}});
  const posix_path_map<std::string> names = posix_path_map<std::string>::of_list({{px("a"), "two words"}});

  EXPECT_EQ(fmt::format("{}", posix), R"({"a" "b/c" "caf\xc3\xa9"})");
  EXPECT_EQ(fmt::format("{:?}", posix), R"({"a" "b/c" "caf\xc3\xa9"})");
  EXPECT_EQ(fmt::format("{}", windows), R"({"C:\\a" "b"})");
  EXPECT_EQ(fmt::format("{}", posix_path_set()), "{}");
  EXPECT_EQ(fmt::format("{:*>15}", windows), R"(**{"C:\\a" "b"})");
  EXPECT_EQ(fmt::format("{:s}|{:<4}|", windows_path_set(), windows_path_set()), "{}|{}  |");

  // A map writes its values with "{}": a number, a path's bytes, a string as it is.
  EXPECT_EQ(fmt::format("{}", numbers), R"({("a", 1) ("b/c", 2)})");
  EXPECT_EQ(fmt::format("{:?}", numbers), R"({("a", 1) ("b/c", 2)})");
  EXPECT_EQ(fmt::format("{}", targets), R"({("C:\\a", x/y)})");
  EXPECT_EQ(fmt::format("{:>20}", names), R"(  {("a", two words)})");
  EXPECT_EQ(fmt::format("{}", posix_path_map<int>()), "{}");

  // A map is formattable when its values are.
  struct opaque {};
  static_assert(fmt::is_formattable<posix_path_map<posix_path_set>>::value);
  static_assert(!fmt::is_formattable<posix_path_map<opaque>>::value);
}

TEST(Fmt, ALongSetOrMapStaysOnOneLineAsOnAStream) {
  std::vector<posix_path> paths;
  posix_path_map<int> map;
  std::string set_text = "{";
  std::string map_text = "{";
  for (int i = 0; i < 100; ++i) {
    const std::string name = "directory/file-" + std::to_string(1000 + i);
    paths.push_back(px(name));
    map = map.add(px(name), i);
    set_text += (i ? " \"" : "\"") + name + "\"";
    map_text += (i ? " (\"" : "(\"") + name + "\", " + std::to_string(i) + ")";
  }
  const posix_path_set set = posix_path_set::of_list(paths);
  EXPECT_EQ(fmt::format("{}", set), set_text + "}");
  EXPECT_EQ(fmt::format("{}", map), map_text + "}");
  // A stream writes the same line.
  std::ostringstream os;
  os << set;
  EXPECT_EQ(os.str(), set_text + "}");
}

}  // namespace
}  // namespace corso::test
