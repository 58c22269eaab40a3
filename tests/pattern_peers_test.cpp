// Path patterns against the tables of other libraries' glob matchers: their
// inputs, with this library's answers. A comment says why where the peer's
// answer is another.
#include <gtest/gtest.h>

#include "test_util.hpp"

namespace corso::test {
namespace {

// From CPython Lib/test/test_pathlib/test_pathlib_abc.py, test_full_match_common
// (PurePath.full_match, whole paths); PSF License.
TEST(PatternPeers, PathlibFullMatch) {
  const match_row rows[] = {
      {"b.py", "b/py", false},  // '.' is no wildcard
      {"*.py", "b.pyc", false},
      {"*.py", "b./py", false},
      {"a*/*.py", "ab/c.py", true},
      {"a*/*.py", "ab/c.py/d", false},
      {"/a/*.py", "/ab.py", false},
      {"/a/**", "/a/b/c.py", true},
      {"/a/b/**/*.py", "/a/b/c.py", true},
      {"/**/**/**/**/*.py", "/a/b/c.py", true},
      {"c/**", "c.py", false},
      {"**/a/b", "a/b/c.py", false},
      {"**/a/b/c./**", "a/b/c.py", false},
      // pathlib's leading "**" takes the root as well; here a relative
      // pattern never matches a rooted path
      {"**/*.py", "/a/b/c.py", false},
      // pathlib's empty path is "." with no segment; here "." is a segment
      // that '*' matches ("" is no pattern at all)
      {"**/*", ".", true},
      {".", ".", true},
      {".", "/", false},
      {"C:/A/*.pY", "c:/a/B.Py", false},  // bytes, unless case is ignored
  };
  check_match_rows(rows);
  const match_row folded[] = {
      {"/A/*/*.Py", "/a/b/c.py", true},  // capitals in a rooted pattern
      {"C:/A/*.pY", "c:/a/B.Py", true},  // under Windows the volume folds too
  };
  check_match_rows(folded, {.ignore_ascii_case = true});
}

// From CPython Lib/test/test_pathlib/test_pathlib.py, test_match_common and
// test_match_windows (PurePath.match); PSF License. match() compares from the
// right when its pattern is relative: "**/" in front says the same here.
TEST(PatternPeers, PathlibMatchFromTheRight) {
  const match_row rows[] = {
      {"**/*.py", "b./py", false},
      {"**/a*/*.py", "ab/c.py", true},
      {"**/a*/*.py", "a.py", false},
      {"**/a*/*.py", "ab/c.py/d", false},
      // pathlib matches a rooted path from the right too; here a relative
      // pattern never matches one, and "/**/b.py" is the pattern for it
      {"**/b.py", "/a/b.py", false},
      {"**/a*/*.py", "/d/ab/c.py", false},
      // match() reads "**" as '*'; here it is any number of segments
      {"/**/*.py", "/a/b/c.py", true},
      {"/a/**/*.py", "/a/b/c.py", true},
      // pathlib folds case for Windows; here bytes are compared under both
      {"**/b.PY", "B.py", false},
      {"c:/*.py", "c:b.py", false, windows_only},
      {"c:*.py", "b.py", false, windows_only},
      {"/*.py", R"(c:\b.py)", false, windows_only},
      {"/*.py", R"(\\some\share\a.py)", false, windows_only},
      // a volume is literal: "*:" is a volume of two bytes, not a wildcard
      {"*:/*.py", R"(c:\b.py)", false, windows_only},
      {"//*/*/*.py", R"(\\some\share\a.py)", false, windows_only},
  };
  check_match_rows(rows);
}

// From Go src/path/match_test.go (path.Match); BSD-3-Clause. Go reads '\'
// as an escape and refuses some sets; here '\' is a byte under POSIX and a
// separator under Windows, and those sets have members.
TEST(PatternPeers, GoPathMatch) {
  const match_row rows[] = {
      {"a*", "a", true},
      {"a*/b", "a/c/b", false},
      {"a*b*c*d*e*/f", "axbxcxdxe/f", true},
      {"a*b*c*d*e*/f", "axbxcxdxexxx/f", true},
      {"a*b*c*d*e*/f", "axbxcxdxe/xxx/f", false},
      {"a*b*c*d*e*/f", "axbxcxdxexxx/fff", false},
      {"a*b?c*x", "abxbbxdbxebxczzx", true},
      {"a*b?c*x", "abxbbxdbxebxczzy", false},
      {"*x", "xxx", true},
      {"ab[^b-d]", "abc", false},
      {"ab[^e-g]", "abc", true},
      {"a???b", "a\xe2\x98\xba\x62", false},  // a☺b: U+263A is one character of three bytes
      {"a[^a][^a][^a]b", "a\xe2\x98\xba\x62", false},
      {"[a-\xce\xb6]*", "\xce\xb1", true},  // a-ζ holds α
      {"*[a-\xce\xb6]", "A", false},
      {"a?b", "a/b", false},
      // Go: "a\*b" is a, '*', b; here no escape, so never the path a*b
      {"a\\*b", "a*b", false},
      // Go: "[\]a]" is the set of ']' and a; here the set [\] then "a]"
      // (under Windows '\' ends the segment, and "[" is left open)
      {"[\\]a]", "]", false, posix_only},
      // Go: '\' and '-' then x; here the range from '\' to x
      {"[\\-x]", "-", false, posix_only},
      {"[\\-x]", "a", true, posix_only},
      {"[\\-x]", "x", true, posix_only},
      // Go refuses these patterns; here they are valid
      {"\\", "a", false},  // '\' alone: a byte under POSIX, the root under Windows
      {"[-]", "-", true},  // a '-' that makes no range is a member
  };
  check_match_rows(rows);
  const struct { std::string in; } invalid[] = {{"[^"}, {"[^bc"}, {"a/b["}};
  for_each_row(invalid, [](auto s, const auto& row) {
    using S = typename decltype(s)::syntax;
    EXPECT_FALSE(basic_pattern<S>::of_string(row.in));
  });
}

// From Node test/parallel/test-path-glob.js (path.matchesGlob, and the
// pairs of path.escapeGlob read as a pattern and the path it matches); MIT.
TEST(PatternPeers, NodeMatchesGlob) {
  const match_row rows[] = {
      {"foo/[bcr]ar/baz", "foo/bar/baz", true},
      {"foo/[!bcr]ar/baz", "foo/bar/baz", false},
      {"foo/[bc-r]ar/baz/*", "foo/bar/baz/boo", true},
      {"foo/*/!bar/*/baz", "foo/bar/baz", false},  // '!' outside a set is a byte
      {"foo/bar[0-9]/baz", "foo/bar5/baz", true},
      {R"(foo\[bc-r]ar\baz)", R"(foo\bar\baz)", true, windows_only},  // '\' separates under Windows
      {R"(foo\**)", R"(foo\bar\baz)", true, windows_only},
      // an escaped glob: a set of one character matches that character
      {"file[[]abc[]].txt", "file[abc].txt", true},
      {"folder/[*][*]/[*].txt", "folder/**/*.txt", true},  // "[*][*]" is not "**"
  };
  check_match_rows(rows);
}

}  // namespace
}  // namespace corso::test
