#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <sstream>

#include <corso/filesystem.hpp>

#include "scan.hpp"
#include "test_util.hpp"

namespace corso::test {
namespace {

using namespace std::string_literals;

// An expected parse: the path, or the string that the error message quotes.
struct parse_case {
  std::string in;
  std::string out;
  bool ok;
};

template <path_syntax S>
void check_parse(const parse_case& c) {
  const auto r = basic_path<S>::of_string(c.in);
  ASSERT_EQ(r.has_value(), c.ok);
  if (c.ok) {
    EXPECT_EQ(r->to_string(), c.out);
  } else {
    EXPECT_EQ(r.error().message(), c.out + ": invalid path");
  }
}

TEST(OfStringPosix, CollapsesSeparatorRunsButALeadingPair) {
  const parse_case cases[] = {
      {"", R"("")", false},
      {"a\0b"s, R"("a\x00b")", false},
      {"\0"s, R"("\x00")", false},
      {"a//\0"s, R"("a//\x00")", false},  // the message quotes the caller's string
      {"/", "/", true},
      {"//", "//", true},
      {"///", "//", true},
      {"////a", "//a", true},
      {"//a//b", "//a/b", true},
      {"a//b", "a/b", true},
      {"a///b//", "a/b/", true},
      {"/a//", "/a/", true},
      {"a/", "a/", true},
      {R"(\\server\share)", R"(\\server\share)", true},
      {"C:", "C:", true},
      {"a:", "a:", true},
  };
  for_each_row(cases, check_parse<posix_syntax>);
}

TEST(OfStringWindows, TurnsSlashesIntoBackslashesAndChecksVolumes) {
  const parse_case cases[] = {
      {"", R"("")", false},
      {"C:", R"("C:")", false},
      {":", R"(":")", false},
      {"a/b:", R"("a\\b:")", false},     // quoted after '/' became '\'
      {"a//b:", R"("a\\b:")", false},    // ... and after collapsing
      {"a/\0"s, R"("a\\\x00")", false},  // NUL: quoted after replacement
      {"//", R"("//")", false},          // incomplete UNC: the caller's string
      {R"(\\server)", R"("\\\\server")", false},
      {R"(\\server\)", R"("\\\\server\\")", false},
      {"//server//", R"("//server//")", false},
      {"///evil/share/x", R"("///evil/share/x")", false},  // three leading separators: never UNC
      {R"(\\\\a\\b)", R"("\\\\\\\\a\\\\b")", false},
      {R"(\/\srv\sh)", R"("\\/\\srv\\sh")", false},
      {"///", R"("///")", false},
      {R"(\\?)", R"("\\\\?")", false},
      {R"(\\?\)", R"("\\\\?\\")", false},
      {R"(\\?\UNC)", R"("\\\\?\\UNC")", false},
      {R"(\\?\UNC\server)", R"("\\\\?\\UNC\\server")", false},
      {R"(\\?\Volume{x}\)", R"("\\\\?\\Volume{x}\\")", false},
      {R"(\\.)", R"("\\\\.")", false},
      {R"(\\.\)", R"("\\\\.\\")", false},
      {R"(\\.\UNC\h)", R"("\\\\.\\UNC\\h")", false},  // a device path to a share needs server and share
      {R"(\\.\UNC\h\)", R"("\\\\.\\UNC\\h\\")", false},
      {"//./unc/h", R"("//./unc/h")", false},
      {R"(C:\)", R"(C:\)", true},
      {"C:/", R"(C:\)", true},
      {"C:a", "C:a", true},
      {":a", ":a", true},
      {R"(a\b:c)", R"(a\b:c)", true},
      {"ab:c:", "ab:c:", true},
      {"/", R"(\)", true},
      {"a//b", R"(a\b)", true},
      {R"(\\server\share)", R"(\\server\share\)", true},
      {"//server//share", R"(\\server\share\)", true},
      {R"(\\server\share\a)", R"(\\server\share\a)", true},
      {R"(\\server\share\a:)", R"(\\server\share\a:)", true},
      {"//a//b", R"(\\a\b\)", true},
      {R"(\\?\C:)", R"(\\?\C:\)", true},
      {R"(\\?\C:\a)", R"(\\?\C:\a)", true},
      {"//?/C:/x", R"(\\?\C:\x)", true},
      {R"(\\?\UNC\server\share)", R"(\\?\UNC\server\share\)", true},
      {R"(\\?\unc\server\share)", R"(\\?\unc\server\share)", true},
      {R"(\\?\Volume{x}\a)", R"(\\?\Volume{x}\a\)", true},
      {R"(\\.\dev)", R"(\\.\dev\)", true},
      {R"(\\.\dev\x)", R"(\\.\dev\x)", true},
      {R"(\\.\UNC\h\s)", R"(\\.\UNC\h\s\)", true},
      {"//./UNC//h//s", R"(\\.\UNC\h\s\)", true},
      {R"(\\.\uNc\h\s\x)", R"(\\.\uNc\h\s\x)", true},
      {R"(\\.\UNCx\h)", R"(\\.\UNCx\h)", true},
      {R"(\\..\x)", R"(\\..\x\)", true},
      {R"(C:\x\file.txt:stream)", R"(C:\x\file.txt:stream)", true},
  };
  for_each_row(cases, check_parse<windows_syntax>);
}

// The parsers as plainly written: validation and collapsing in two passes
// over a copy, the UNC grammar on the rewritten string. The library scans
// once and rewrites in place; both must agree on every string.
namespace plain {

std::string err(const std::string& s) { return detail::message(s, "invalid path"); }

// The value, or the message of the error.
using outcome = std::pair<bool, std::string>;

std::optional<std::string> validate_and_collapse_seps(const std::string& p, char sep) {
  const std::size_t n = p.size();
  const std::size_t start = n >= 2 && p[0] == sep ? 1 : 0;
  std::string out = p.substr(0, start);
  bool last_sep = false;
  for (std::size_t i = start; i < n; ++i) {
    const char c = p[i];
    if (c == '\0') return std::nullopt;
    if (c == sep && last_sep) continue;
    last_sep = c == sep;
    out += c;
  }
  return out;
}

outcome of_string_posix(const std::string& s) {
  if (s.empty()) return {false, err(s)};
  const auto v = validate_and_collapse_seps(s, '/');
  return v ? outcome{true, *v} : outcome{false, err(s)};
}

// The volume segments of q, which begins with two backslashes.
std::optional<std::string> parse_unc(const std::string& q) {
  std::size_t i = 2;
  const auto seg = [&] {
    const std::size_t start = i;
    while (i < q.size() && q[i] != '\\') ++i;
    std::string s = q.substr(start, i - start);
    if (i < q.size()) ++i;
    return s;
  };
  const auto ensure_root = [&] { return i >= q.size() && q.back() != '\\' ? q + "\\" : q; };
  const std::string s1 = seg();
  if (s1.empty()) return std::nullopt;
  const std::string s2 = seg();
  if (s2.empty()) return std::nullopt;
  if (s1 == "?" && s2.back() != ':') {
    if (seg().empty()) return std::nullopt;
    if (s2 == "UNC" && seg().empty()) return std::nullopt;
  }
  const auto same_letter = [](char c, char upper) { return c == upper || c == upper + ('a' - 'A'); };
  const bool device_unc = s1 == "." && s2.size() == 3 && std::equal(s2.begin(), s2.end(), "UNC", same_letter);
  if (device_unc && (seg().empty() || seg().empty())) return std::nullopt;
  return ensure_root();
}

outcome of_string_windows(const std::string& s) {
  if (s.empty()) return {false, err(s)};
  std::string p = s;
  std::replace(p.begin(), p.end(), '/', '\\');
  const auto v = validate_and_collapse_seps(p, '\\');
  if (!v) return {false, err(p)};
  if (p.starts_with(R"(\\\)")) return {false, err(s)};
  const std::string& q = *v;
  if (q.size() >= 2 && q[0] == '\\' && q[1] == '\\') {
    const auto u = parse_unc(q);
    return u ? outcome{true, *u} : outcome{false, err(s)};
  }
  if (q.find(':') == q.size() - 1) return {false, err(q)};
  return {true, q};
}

}  // namespace plain

template <path_syntax S>
plain::outcome outcome_of(const std::string& s) {
  const auto of = [](const result<basic_path<S>>& r) {
    return r ? plain::outcome{true, r->to_string()} : plain::outcome{false, r.error().message()};
  };
  // Text the caller keeps is scanned where it lies; a string moved in is scanned in place.
  const plain::outcome kept = of(basic_path<S>::of_string(std::string_view(s)));
  EXPECT_EQ(kept, of(basic_path<S>::of_string(std::string(s))));
  return kept;
}

TEST(OfString, AgreesWithThePlainParsersOnRandomStrings) {
  std::mt19937 rng(17);
  const char alphabet[] = {'a', '/', '\\', ':', '?', '.', 'U', 'N', 'C', '\0', 'x', '/', '\\'};
  for (int i = 0; i < 40000; ++i) {
    // Short strings, and long ones for the sixteen-byte steps of the scan.
    const std::size_t n = i % 4 == 0 ? 17 + rng() % 60 : rng() % 12;
    std::string s;
    for (std::size_t k = 0; k < n; ++k) s += alphabet[rng() % (i % 3 == 0 ? 13 : 9)];
    SCOPED_TRACE(detail::dump(s));
    const auto same = [](detail::scan_result a, detail::scan_result b) {
      return a.has_nul == b.has_nul && (a.has_nul || (a.has_run == b.has_run && a.has_slash == b.has_slash));
    };
    ASSERT_TRUE(same(detail::scan<false>(s), detail::scan_bytes<false>(s)));
    ASSERT_TRUE(same(detail::scan<true>(s), detail::scan_bytes<true>(s)));
    ASSERT_EQ(outcome_of<posix_syntax>(s), plain::of_string_posix(s));
    ASSERT_EQ(outcome_of<windows_syntax>(s), plain::of_string_windows(s));
  }
}

TEST(SegmentTests, DependOnTheSyntax) {
  const struct {
    std::string in;
    bool posix, windows, rel;
  } cases[] = {
      {"", true, true, false},        {"a", true, true, false},   {".", true, true, true},
      {"..", true, true, true},       {"...", true, true, false}, {"a/b", false, false, false},
      {R"(a\b)", true, false, false}, {"C:", true, true, false},  {"a\0"s, false, false, false},
  };
  for_each_row(cases, [](const auto& c) {
    EXPECT_EQ(is_seg<posix_syntax>(c.in), c.posix);
    EXPECT_EQ(is_seg<windows_syntax>(c.in), c.windows);
    EXPECT_EQ(is_rel_seg(c.in), c.rel);
  });
}

TEST(Path, DefaultsToTheCurrentDirectoryAsAMovedFromPathDoes) {
  EXPECT_EQ(posix_path().to_string(), ".");
  EXPECT_EQ(windows_path().to_string(), ".");
  std::vector<posix_path> three(3);
  EXPECT_EQ(three[2], px("."));
  std::map<std::string, windows_path> m;
  EXPECT_EQ(m["x"], wn("."));
  posix_path moved = px("a/b");
  const posix_path taken = std::move(moved);
  EXPECT_EQ(moved, posix_path());  // NOLINT(bugprone-use-after-move): the moved-from value is defined
}

TEST(Syntax, ConstantsAndHostChoice) {
  EXPECT_TRUE(is_windows_os_type("Win32"));
  for (const char* other : {"Unix", "win32", "WIN32", "Win32 ", "Win", "Win32x", "Cygwin", ""}) {
    EXPECT_FALSE(is_windows_os_type(other)) << other;
  }
  EXPECT_EQ(posix_syntax::dir_sep, "/");
  EXPECT_EQ(posix_syntax::dot_dir, "./");
  EXPECT_EQ(posix_syntax::dotdot_dir, "../");
  EXPECT_EQ(windows_syntax::dir_sep, "\\");
  EXPECT_EQ(windows_syntax::dot_dir, ".\\");
  EXPECT_EQ(windows_syntax::dotdot_dir, "..\\");
  // The build system's word for the target, against the library's own.
  EXPECT_EQ(os_type, CORSO_TEST_HOST_OS_TYPE);
  EXPECT_EQ(windows, os_type == "Win32");
  EXPECT_EQ((std::is_same_v<path, windows_path>), windows);
  EXPECT_EQ(dir_sep, windows ? "\\" : "/");
  EXPECT_TRUE((std::is_same_v<path::syntax, host_syntax>));
}

TEST(V, ThrowsTheMessageOfOfString) {
  EXPECT_EQ(invalid_argument_message([] { (void)posix_path::v(""); }), R"("": invalid path)");
  EXPECT_EQ(invalid_argument_message([] { (void)windows_path::v(R"(\\srv)"); }), R"("\\\\srv": invalid path)");
  EXPECT_EQ(invalid_argument_message([] { (void)v("a\0b"s); }), R"("a\x00b": invalid path)");
  using namespace corso::literals;
  EXPECT_EQ(invalid_argument_message([] { (void)"a\0"_path; }), R"("a\x00": invalid path)");
  EXPECT_EQ(("a//b"_path).to_string(), windows ? "a\\b" : "a/b");
}

TEST(Result, ValueOfAnErrorThrowsItsMessage) {
  const auto r = posix_path::of_string("");
  EXPECT_FALSE(r);
  EXPECT_THROW((void)r.value(), std::invalid_argument);
  EXPECT_THROW((void)*r, std::invalid_argument);
  EXPECT_EQ(r.value_or(px("x")), px("x"));
  const auto ok = posix_path::of_string("a");
  EXPECT_THROW((void)ok.error(), std::logic_error);
  EXPECT_EQ(ok->to_string(), "a");
}

TEST(OfString, AnRvalueThatIsValidKeepsItsBuffer) {
  std::string long_path(200, 'a');
  long_path[50] = '/';
  const char* bytes = long_path.data();
  const auto p = posix_path::of_string(std::move(long_path));
  EXPECT_EQ(p->view().data(), bytes);

  std::string collapsed = "//" + std::string(100, 'b') + "//c";  // rewritten in place
  bytes = collapsed.data();
  const auto q = windows_path::of_string(std::move(collapsed));
  EXPECT_EQ(q->view().data(), bytes);
  EXPECT_EQ(q->to_string(), R"(\\)" + std::string(100, 'b') + R"(\c\)");
}

TEST(Path, ComparesBytesAndStaysValidWhenMovedFrom) {
  EXPECT_EQ(px("a/b"), px("a//b"));
  EXPECT_NE(px("a"), px("a/"));
  EXPECT_LT(px("a/b"), px("a/c"));
  EXPECT_LT(px("a"), px("\x80"));  // bytes compare unsigned
  EXPECT_NE(wn(R"(C:\a)"), wn(R"(c:\a)"));
  EXPECT_EQ(std::hash<posix_path>{}(px("a//b")), std::hash<posix_path>{}(px("a/b")));

  posix_path p = px("some/long/path/that/does/not/fit/in/place");
  posix_path q = std::move(p);
  EXPECT_EQ(p.to_string(), ".");  // NOLINT(bugprone-use-after-move): the point of the test
  p = std::move(q);
  EXPECT_EQ(q.to_string(), ".");  // NOLINT(bugprone-use-after-move)
  EXPECT_STREQ(p.c_str(), "some/long/path/that/does/not/fit/in/place");
  std::ostringstream os;
  os << p;
  EXPECT_EQ(os.str(), "some/long/path/that/does/not/fit/in/place");
}

// std::filesystem::path holds bytes on POSIX hosts and UTF-16 on Windows
// hosts; these tests mean the same on both, comparing native strings built
// the host's way.
std::filesystem::path::string_type native_of(std::string_view ascii) { return std::filesystem::path(ascii).native(); }
constexpr bool bytes_host = std::is_same_v<std::filesystem::path::value_type, char>;

TEST(StdFilesystem, ConversionsKeepTheBytes) {
  EXPECT_EQ(to_std_path(px("a/b c/d.txt/"))->native(), native_of("a/b c/d.txt/"));
  EXPECT_EQ(to_std_path(wn(R"(\\srv\sh\x)"))->native(), native_of(R"(\\srv\sh\x)"));
  EXPECT_EQ(of_std_path<windows_syntax>(std::filesystem::path("C:/a//b")).value(), wn(R"(C:\a\b)"));
  EXPECT_EQ(of_std_path<posix_syntax>(std::filesystem::path()).error().message(), R"("": invalid path)");
  EXPECT_EQ(of_std_path<posix_syntax>(std::filesystem::path("a\0b"s)).error().message(), R"("a\x00b": invalid path)");
  // UTF-8 beyond ASCII, up to four bytes a character, survives the trip on every host.
  const posix_path text = px("caf\xc3\xa9/\xe6\x97\xa5/\xf0\x9d\x84\x9e");
  const auto there = to_std_path(text);
  const std::u8string u8 = there->u8string();
  EXPECT_EQ(std::string(u8.begin(), u8.end()), text.to_string());
  EXPECT_EQ(of_std_path<posix_syntax>(*there).value(), text);
}

TEST(StdFilesystem, BytesThatAreNotUtf8AreAnErrorOnlyWhereTheHostNeedsUtf8) {
  const posix_path p = px("a/b c/\xff.txt/");
  const auto r = to_std_path(p);
  if (bytes_host) {
    EXPECT_EQ(r->native().size(), p.view().size());
    EXPECT_EQ(of_std_path<posix_syntax>(*r).value(), p);
  } else {
    EXPECT_EQ(r.error().message(), R"("a/b c/\xff.txt/": not valid UTF-8)");
  }
}

}  // namespace
}  // namespace corso::test
