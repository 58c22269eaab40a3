// Path patterns: the syntax, roots and directory-ness, sets and characters,
// invalid patterns, linear time, and the walk against the plain road.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "pattern_match.hpp"
#include "test_util.hpp"

namespace corso::test {
namespace {

using namespace std::string_literals;

TEST(Pattern, WholePathsSegmentBySegment) {
  const match_row rows[] = {
      {"a", "a", true},
      {"a", "b", false},
      {"*", "abc", true},
      {"*", ".hidden", true},  // dot files are not special
      {"*", ".", true},
      {"*", "a/b", false},  // '*' stays in its segment
      {"a/*", "a/b", true},
      {"a/*", "a/b/c", false},
      {"*.cpp", "src/a.cpp", false},  // the whole path, not a suffix
      {"**/*.cpp", "src/a.cpp", true},
      {"**/*.cpp", "a.cpp", true},
      {"**/*.cpp", "x/y/z/a.cpp", true},
      {"src/**/*.cpp", "src/a.cpp", true},
      {"src/**/*.cpp", "src/x/y/a.cpp", true},
      {"src/**/*.cpp", "lib/src/a.cpp", false},
      {"src/**", "src", true},  // "**" may match no segment
      {"src/**", "src/a/b", true},
      {"**", "a/b/c", true},
      {"**/x/**", "a/x/b", true},
      {"**/x/**", "a/y/b", false},
      {"a/**/b/**/c", "a/b/c", true},
      {"a/**/b/**/c", "a/x/b/y/z/c", true},
      {"a/**/b/**/c", "a/x/c/b", false},
      {"a**b", "axxb", true},  // "**" inside a segment is '*'
      {"a**b", "a/b", false},
      {"a/../b", "a/../b", true},  // nothing is normalized
      {"a/../b", "b", false},
      {"a/./*", "a/./x", true},
      {"{a,b}", "a", false},  // no braces: they are bytes
      {"{a,b}", "{a,b}", true},
      {"a//b", "a/b", true},  // the pattern is read as a path
  };
  check_match_rows(rows);
}

TEST(Pattern, RootsAndDirectories) {
  const match_row rows[] = {
      {"*", "/", false},
      {"*", "/x", false},
      {"/*", "/x", true},
      {"/*", "/", false},  // the root's empty segment is no name
      {"/**", "/", true},
      {"/**", "/a/b/", true},
      {"/**", "a", false},
      {"/", "/", true},
      {"/", "/a", false},
      {"**", "/a", false},
      {"*/", "a/", true},
      {"*/", ".", true},
      {"*/", "..", true},
      {"*/", "a", false},
      {"a/*/", "a/b/", true},
      {"a/*/", "a/.", true},
      {"a/*/", "a/b", false},
      {"src/*.d", "src/x.d", true},
      {"src/*.d", "src/x.d/", true},  // one trailing separator is ignored
      {"src/*.d/", "src/x.d/", true},
      {"src/*.d/", "src/x.d", false},
      {"a/*", "a/", false},  // a/ is a once its separator is ignored
      {"**/", "a/b/", true},
      {"**/", "a/b", false},
      {"//**", "//a", true, posix_only},  // "//" is a volume of its own
      {"**", "//a", false, posix_only},
      {"/**", "//a", false, posix_only},
  };
  check_match_rows(rows);
}

TEST(Pattern, WindowsVolumesAreLiteral) {
  const match_row rows[] = {
      {"**/*.cpp", R"(C:\x\a.cpp)", false, windows_only},  // a volume is not a segment
      {"C:/**/*.cpp", R"(C:\x\a.cpp)", true, windows_only},
      {"C:/**", R"(C:\)", true, windows_only},
      {"C:/**", R"(D:\x)", false, windows_only},
      {"C:/**", R"(c:\x)", false, windows_only},
      {"C:*", "C:a", true, windows_only},
      {"C:*", R"(C:\a)", false, windows_only},
      {"*.txt:*", "a.txt:s", false, windows_only},  // the volume *.txt: is not a.txt:
      {"a.txt:*", "a.txt:s", true, windows_only},
      {"[A-Z]:/**", R"(C:\x)", false, windows_only},
      {"[A-Z]:/**", R"([A-Z]:\x)", true, windows_only},
      {"//srv/sh/*", R"(\\srv\sh\a)", true, windows_only},
      {"//srv/sh/*", R"(\\srv\other\a)", false, windows_only},
      {"//srv/sh/", R"(\\srv\sh\)", true, windows_only},
      {"**", R"(\\srv\sh\a)", false, windows_only},
      {"a/b", R"(a\b)", true, windows_only},
  };
  check_match_rows(rows);
}

TEST(Pattern, CharactersAndSets) {
  const match_row rows[] = {
      {"?", "a", true},
      {"?", "ab", false},
      {"?", "\xc3\xa9", true},  // é: one character of two bytes
      {"??", "\xc3\xa9", false},
      {"?", "\xf0\x9f\x98\x80", true},  // U+1F600
      {"?", "\xff", true},              // not UTF-8: one byte
      {"??", "\xc3x", true},            // a lead byte without its tail is a byte
      {"?", "\xed\xa0\x80", false},     // a surrogate is three bytes, not one character
      {"???", "\xed\xa0\x80", true},
      {"?", "\xc0\xaf", false},               // an overlong form is two bytes
      {"*\xa9", "\xc3\xa9", true},            // '*' may stop inside a character
      {"*?*\x80", "\xf0\x9f\x98\x80", true},  // '?' takes a continuation byte alone
      {"[abc]", "b", true},
      {"[abc]", "d", false},
      {"[a-c]", "b", true},
      {"[a-c-e]", "-", true},  // a to c, '-' and e
      {"[a-c-e]", "e", true},
      {"[a-c-e]", "d", false},
      {"[-a]", "-", true},
      {"[a-]", "-", true},
      {"[]a]", "]", true},  // ']' first is a member
      {"[]a]", "a", true},
      {"[!]a]", "]", false},
      {"[!]a]", "b", true},
      {"[!a]", "b", true},
      {"[!a]", "a", false},
      {"[^a]", "a", false},
      {"[!a]", "\xc3\xa9", true},  // a set matches one character
      {"[z-a]", "a", false},       // an empty range
      {"[z-a]", "z", false},
      {"[\xc3\xa9-\xc3\xab]", "\xc3\xaa", true},  // é-ë holds ê: code-point order
      {"[\xc3\xa9-\xc3\xab]", "e", false},
      {"[*]", "*", true},  // no escape character: a set holds the byte
      {"[*]", "a", false},
      {"[?]", "?", true},
      {"[[]", "[", true},
      {"[\\]", "\\", true, posix_only},  // '\' is no separator under POSIX
      {"a]", "a]", true},
  };
  check_match_rows(rows);
}

TEST(Pattern, IgnoringAsciiCase) {
  const match_row rows[] = {
      {"*.CPP", "a.cpp", true},
      {"README", "readme", true},
      {"[a-c]", "B", true},
      {"[!a]", "A", false},
      {"[A-C]", "b", true},
      {"\xc3\x89", "\xc3\xa9", false},  // É and é: ASCII letters only
      {"c:/**", R"(C:\x)", true, windows_only},
      {"//SRV/sh/*", R"(\\srv\SH\x)", true, windows_only},
  };
  check_match_rows(rows, {.ignore_ascii_case = true});
  EXPECT_FALSE(posix_pattern::v("*.CPP").matches(px("a.cpp")));
}

TEST(Pattern, InvalidPatternsAreRefused) {
  const struct {
    std::string in;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {""},
      {"a\0b"s},
      {"["},
      {"a[b"},
      {"[]"},  // ']' first is a member: the set is open
      {"[!]"},
      {"a[/]b"},  // a set ends in its segment
      {"[a/b]"},
      {"C:", windows_only},
      {"//srv", windows_only},
      {"[\\]", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    using S = typename decltype(s)::syntax;
    const auto r = basic_pattern<S>::of_string(row.in);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message(), detail::message(row.in, "invalid pattern"));
    EXPECT_EQ(invalid_argument_message([&] { (void)matches(row.in, s.path("a")); }), r.error().message());
  });
  EXPECT_EQ(posix_pattern::of_string("a[b").error().message(), R"("a[b": invalid pattern)");
  EXPECT_TRUE(posix_pattern::of_string("a]b"));
}

TEST(Pattern, ReadAsAPath) {
  EXPECT_EQ(posix_pattern::v("a//*/").to_string(), "a/*/");
  EXPECT_EQ(windows_pattern::v("C:/a//*").to_string(), R"(C:\a\*)");
}

// Patterns that take exponential time where a '*' is retried by recursion;
// CTest's timeout is the guard, and the figures are in the benchmark.
TEST(Pattern, LongInputsStayLinear) {
  const std::string as(30000, 'a');
  EXPECT_FALSE(matches("a*a*a*a*a*a*a*b", px(as)));
  EXPECT_TRUE(matches("a*a*a*a*a*a*a*a", px(as)));
  EXPECT_FALSE(matches("*?*?*?*?*?*?x", px(as)));
  std::string deep;
  for (int i = 0; i < 20000; ++i) deep += "a/";
  EXPECT_FALSE(matches("**/**/**/**/**/x", px(deep)));
  EXPECT_TRUE(matches("**/**/**/**/**/a", px(deep)));
  EXPECT_FALSE(matches("**/a*a*a*a*?*b/**", px(deep + as)));
}

// The walk retries only the last '*'; wherever it is used, it must agree
// with the offsets road, which is exact for every segment pattern.
TEST(Pattern, TheWalkAgreesWithTheOffsets) {
  std::mt19937 rng(7);
  const std::string pieces[] = {"a", "b", "*", "?", "[ab]", "[!a]", "\xc3\xa9", "\xc3", "\xa9", "A"};
  const std::string bytes[] = {"a", "b", "A", "\xc3\xa9", "\xc3", "\xa9", "\xf0\x9f\x98\x80", "\x80"};
  for (int round = 0; round < 20000; ++round) {
    std::string seg;
    for (int n = rng() % 6; n > 0; --n) seg += pieces[rng() % std::size(pieces)];
    std::string s;
    for (int n = rng() % 7; n > 0; --n) s += bytes[rng() % std::size(bytes)];
    const bool star = seg.find('*') != seg.npos;
    const bool char_token = seg.find_first_of("?[") != seg.npos;
    if (star && char_token) continue;  // the walk is not used there
    for (const bool fold : {false, true}) {
      ASSERT_EQ(detail::walk_segment(seg, s, fold), detail::match_segment_offsets(seg, s, fold))
          << detail::dump(seg) << " " << detail::dump(s) << " fold " << fold;
    }
  }
}

}  // namespace
}  // namespace corso::test
