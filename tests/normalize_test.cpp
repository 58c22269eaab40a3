#include <gtest/gtest.h>

#include <list>

#include "normalize.hpp"
#include "test_util.hpp"

namespace corso::test {
namespace {

// The plain algorithm, on lists of strings, as a yardstick for the library's
// single pass on views.
namespace plain {

using seg_list = std::list<std::string>;

seg_list cuts(const std::string& s, char sep) {
  seg_list out;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

std::string join(const seg_list& l, char sep) {
  std::string out;
  for (auto it = l.begin(); it != l.end(); ++it) out += (it == l.begin() ? "" : std::string(1, sep)) + *it;
  return out;
}

seg_list normalize_rel_segs(seg_list segs) {
  std::vector<std::string> stack;
  while (!segs.empty()) {
    const std::string seg = segs.front();
    segs.pop_front();
    const bool rest_empty = segs.empty();
    if (seg == "..") {
      if (stack.empty() || stack.back() == "..") {
        stack.push_back("..");
      } else {
        stack.pop_back();
        if (rest_empty) {
          stack.push_back("");
          return {stack.begin(), stack.end()};
        }
      }
    } else if (seg == ".") {
      if (rest_empty) {
        stack.push_back("");
        return {stack.begin(), stack.end()};
      }
    } else {
      stack.push_back(seg);
    }
  }
  if (stack.empty()) return {""};
  if (stack.back() == "..") stack.push_back("");
  return {stack.begin(), stack.end()};
}

seg_list normalize_segs(seg_list segs) {
  if (segs.front().empty()) {
    segs.pop_front();
    seg_list r = normalize_rel_segs(segs);
    while (!r.empty() && r.front() == "..") r.pop_front();
    r.push_front("");
    return r;
  }
  seg_list r = normalize_rel_segs(segs);
  if (r == seg_list{""}) return {".", ""};
  return r;
}

std::string normalize_posix(const std::string& p) {
  const bool volume = p.size() >= 2 && p[0] == '/' && p[1] == '/';
  seg_list segs = cuts(p, '/');
  if (volume) segs.pop_front();
  segs = normalize_segs(segs);
  if (volume) segs.push_front("");
  return join(segs, '/');
}

std::string normalize(const posix_path& p) { return normalize_posix(p.to_string()); }

std::string normalize(const windows_path& p) {
  const auto [volume, rest] = split_volume(p);
  const std::string n = volume + join(normalize_segs(cuts(rest, '\\')), '\\');
  const auto nt = [](const std::string& s) { return s.size() >= 4 && s.compare(0, 4, R"(\??\)") == 0; };
  return nt(n) && !nt(p.to_string()) ? R"(\.)" + n : n;
}

}  // namespace plain

TEST(Normalize, ResolvesDotsByPositionAndKeepsTheVolume) {
  const struct {
    const char* p;
    answer out;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"/", "/"},
      {"//", "//", posix_only},
      {"a", "a"},
      {"a/", "a/"},
      {".", "./"},
      {"./", "./"},
      {"..", "../"},
      {"../", "../"},
      {"../..", "../../"},
      {"/..", "/"},
      {"/.", "/"},
      {"/../a", "/a"},
      {"a/..", "./"},
      {"a/../", "./"},
      {"a/../b", "b"},
      {"a/./b", "a/b"},
      {"a/./b/", "a/b/"},
      {"a/.", "a/"},
      {"./a", "a"},
      {"../a/..", "../"},
      {"b/a/..", "b/"},
      {"a/b/../../..", "../"},
      {"/a/b/../../..", "/"},
      {"//a/../..", "//", posix_only},
      {"a/b/./", "a/b/"},
      {"a/../..", "../"},
      {"./../a", "../a"},
      {"/a/./b/../c/", "/a/c/"},
      {"//..", "//", posix_only},
      {"...", "..."},
      {"a/.../..", "a/"},
      {R"(C:\)", R"(C:\)", windows_only},
      {R"(C:a\..)", R"(C:.\)", windows_only},
      {"C:..", R"(C:..\)", windows_only},
      {R"(C:\..\a)", R"(C:\a)", windows_only},
      {R"(\\srv\sh\a\..\..)", R"(\\srv\sh\)", windows_only},
      {R"(\\srv\sh\)", R"(\\srv\sh\)", windows_only},
      {"C:.", R"(C:.\)", windows_only},
      {R"(\\?\UNC\s\h\..\x)", R"(\\?\UNC\s\h\x)", windows_only},
      {R"(\\.\UNC\h\s\..\..\other\x)", R"(\\.\UNC\h\s\other\x)", windows_only},  // ".." stops at the share
      {R"(\\.\Unc\h\s\..)", R"(\\.\Unc\h\s\)", windows_only},
      {R"(C:a:\..\b)", "C:b", windows_only},
      // Windows: \??\ begins a result only where it began the path.
      {R"(/a/../??/UNC/evil/share/x)", {R"(/??/UNC/evil/share/x)", R"(\.\??\UNC\evil\share\x)"}},
      {R"(/./??/x)", {R"(/??/x)", R"(\.\??\x)"}},
      {R"(/../??/)", {R"(/??/)", R"(\.\??\)"}},
      {R"(/??/x)", R"(/??/x)"},
      {R"(/??/a/../x)", R"(/??/x)"},
      {R"(/??/../??/x)", R"(/??/x)"},
      {"/a/../??", "/??"},          // no separator after "??"
      {R"(a/../??/x)", R"(??/x)"},  // relative
      {R"(C:\a\..\??\x)", R"(C:\??\x)", windows_only},
      {R"(\\srv\sh\a\..\??\x)", R"(\\srv\sh\??\x)", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    const auto n = normalize(s.path(row.p));
    EXPECT_EQ(n.to_string(), s.want(row.out));
    EXPECT_EQ(plain::normalize(s.path(row.p)), s.want(row.out));
    EXPECT_EQ(normalize(n), n);
  });
}

template <path_syntax S>
void check_against_plain(const basic_path<S>& p) {
  SCOPED_TRACE(p.to_string());
  const basic_path<S> n = normalize(p);
  EXPECT_EQ(n.to_string(), plain::normalize(p));
  EXPECT_TRUE(is_valid_path<S>(n.view()));
  EXPECT_EQ(normalize(n), n);
  EXPECT_EQ(is_dir_path(n), is_dir_path(p));
  EXPECT_EQ(split_volume(n).first, split_volume(p).first);
}

TEST(Normalize, AgreesWithThePlainAlgorithmOverGeneratedPaths) {
  path_generator gen(7);
  for (int i = 0; i < 5000; ++i) {
    if (auto p = posix_path::of_string(gen.posix())) check_against_plain(*p);
    if (auto p = windows_path::of_string(gen.windows())) check_against_plain(*p);
  }
}

TEST(Normalize, TheDotSearchAgreesWithASegmentBySegmentOne) {
  std::mt19937 rng(8);
  for (int i = 0; i < 30000; ++i) {
    const exact_random_bytes bytes(rng, 50, "a./\\");
    const std::string& s = bytes.text();
    const std::string_view v = bytes.view();
    bool plain_posix = false;
    bool plain_windows = false;
    for (const auto& seg : plain::cuts(s, '/')) plain_posix = plain_posix || seg == "." || seg == "..";
    for (const auto& seg : plain::cuts(s, '\\')) plain_windows = plain_windows || seg == "." || seg == "..";
    ASSERT_EQ(detail::has_rel_seg<'/'>(v), plain_posix) << s;
    ASSERT_EQ(detail::has_rel_seg<'\\'>(v), plain_windows) << s;
  }
}

TEST(Normalize, DeepPathsSpillOutOfTheInlineStack) {
  std::string deep;
  std::string expected;
  for (int i = 0; i < 1000; ++i) deep += "d/./";
  for (int i = 0; i < 1000; ++i) expected += "d/";
  EXPECT_EQ(normalize(px(deep + "x/..")).to_string(), expected);
  EXPECT_EQ(normalize(px(deep + "x/..")).to_string(), plain::normalize_posix(deep + "x/.."));
}

TEST(Normalize, ANormalPathComesBackWithoutACopy) {
  std::string s = "/usr/local/share/doc/some-package/README.md";
  const char* bytes = nullptr;
  posix_path p = px(s);
  bytes = p.view().data();
  const posix_path n = normalize(std::move(p));
  EXPECT_EQ(n.view().data(), bytes);
  EXPECT_EQ(n.to_string(), s);
}

}  // namespace
}  // namespace corso::test
