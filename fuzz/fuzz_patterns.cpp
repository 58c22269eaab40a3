// Patterns against a plain reference: the recursive definition over
// segments and bytes, memoized so that small inputs stay quick, with its own
// reading of sets. The input is a flags byte, the pattern, a NUL, the path.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check.hpp"
#include "strings.hpp"
#include "utf8.hpp"

namespace {

using corso::fuzz::require;

std::size_t char_size(std::string_view s) { return std::max<std::size_t>(1, corso::detail::decode_utf8(s).size); }

bool same_byte(char a, char b, bool fold) {
  return fold ? corso::detail::ascii_lower(a) == corso::detail::ascii_lower(b) : a == b;
}

// A set read from its '[': whether it is negated, its ranges (a member c is
// the range c-c), and where it ends; nothing when no ']' closes it.
struct char_set {
  bool negated = false;
  std::vector<std::pair<std::string, std::string>> ranges;
  std::size_t end = 0;
};

std::optional<char_set> read_set(std::string_view s, std::size_t open) {
  char_set set;
  std::size_t i = open + 1;
  if (i < s.size() && (s[i] == '!' || s[i] == '^')) {
    set.negated = true;
    ++i;
  }
  for (bool first = true;; first = false) {
    if (i >= s.size()) return std::nullopt;
    if (s[i] == ']' && !first) break;
    const std::string lo(s.substr(i, s[i] == ']' ? 1 : char_size(s.substr(i))));
    i += lo.size();
    std::string hi = lo;
    if (i + 1 < s.size() && s[i] == '-' && s[i + 1] != ']') {
      hi = std::string(s.substr(i + 1, char_size(s.substr(i + 1))));
      i += 1 + hi.size();
    }
    set.ranges.emplace_back(lo, hi);
  }
  set.end = i + 1;
  return set;
}

bool in_set(const char_set& set, std::string_view c, bool fold) {
  const auto in = [&](std::string_view x) {
    for (const auto& [lo, hi] : set.ranges) {
      if (lo <= x && x <= hi) return true;
    }
    return false;
  };
  bool found = in(c);
  if (fold && c.size() == 1 && corso::detail::is_ascii_letter(c[0])) {
    const char other = static_cast<char>(c[0] ^ 0x20);
    found = found || in(std::string_view(&other, 1));
  }
  return found != set.negated;
}

// Does the segment pattern p[i..] match s[j..]?
struct segment_matcher {
  std::string_view p, s;
  bool fold;
  std::map<std::pair<std::size_t, std::size_t>, bool> memo;

  bool operator()(std::size_t i, std::size_t j) {
    if (const auto it = memo.find({i, j}); it != memo.end()) return it->second;
    bool r = false;
    if (i == p.size()) {
      r = j == s.size();
    } else if (p[i] == '*') {
      r = (*this)(i + 1, j) || (j < s.size() && (*this)(i, j + 1));
    } else if (j < s.size()) {
      const std::size_t n = char_size(s.substr(j));
      if (p[i] == '?') {
        r = (*this)(i + 1, j + n);
      } else if (const auto set = p[i] == '[' ? read_set(p, i) : std::nullopt) {
        r = in_set(*set, s.substr(j, n), fold) && (*this)(set->end, j + n);
      } else {
        r = same_byte(p[i], s[j], fold) && (*this)(i + 1, j + 1);
      }
    }
    return memo[{i, j}] = r;
  }
};

// The segments after the volume, with what the ends mean: rooted, and
// ending with a separator; the root alone is no segment.
struct body {
  std::string volume;
  bool rooted = false;
  bool trailing = false;
  bool directory = false;
  std::vector<std::string> segs;
};

template <corso::path_syntax S>
body body_of(const corso::basic_path<S>& p) {
  body b;
  b.volume = corso::split_volume(p).first;
  b.segs = corso::segs(p);
  b.directory = b.segs.back().empty() || b.segs.back() == "." || b.segs.back() == "..";
  b.rooted = b.segs.front().empty() && b.segs.size() > 1;
  if (b.rooted) b.segs.erase(b.segs.begin());
  if (b.segs.size() == 1 && b.segs[0].empty()) {
    b.segs.clear();
  } else if (b.segs.back().empty()) {
    b.trailing = true;
    b.segs.pop_back();
  }
  return b;
}

bool segments_match(const std::vector<std::string>& ps, const std::vector<std::string>& qs, bool fold) {
  std::map<std::pair<std::size_t, std::size_t>, bool> memo;
  const auto go = [&](auto& self, std::size_t i, std::size_t j) -> bool {
    if (const auto it = memo.find({i, j}); it != memo.end()) return it->second;
    bool r = false;
    if (i == ps.size()) {
      r = j == qs.size();
    } else if (ps[i] == "**") {
      r = self(self, i + 1, j) || (j < qs.size() && self(self, i, j + 1));
    } else if (j < qs.size()) {
      segment_matcher m{ps[i], qs[j], fold, {}};
      r = m(0, 0) && self(self, i + 1, j + 1);
    }
    return memo[{i, j}] = r;
  };
  return go(go, 0, 0);
}

template <corso::path_syntax S>
void check(std::string_view pattern_text, std::string_view path_text, bool fold) {
  const auto path = corso::basic_path<S>::of_string(path_text);
  if (!path) return;
  const auto compiled = corso::basic_pattern<S>::of_string(pattern_text, {.ignore_ascii_case = fold});
  const auto as_path = corso::basic_path<S>::of_string(pattern_text);
  std::optional<body> pb;
  if (as_path) pb = body_of(*as_path);
  const auto every_set_closed = [](const std::string& seg) {
    for (std::size_t i = 0; i < seg.size(); ++i) {
      if (seg[i] != '[') continue;
      const auto set = read_set(seg, i);
      if (!set) return false;
      i = set->end - 1;
    }
    return true;
  };
  if (pb && !std::all_of(pb->segs.begin(), pb->segs.end(), every_set_closed)) pb.reset();
  require(compiled.has_value() == pb.has_value(), "a pattern is valid when it is a path with every set closed",
          pattern_text);
  if (!pb) {
    require(compiled.error().message() == corso::detail::message(pattern_text, "invalid pattern"),
            "the message of an invalid pattern", pattern_text);
    return;
  }
  const body qb = body_of(*path);
  const bool same_volume = fold ? pb->volume.size() == qb.volume.size() &&
                                      std::equal(pb->volume.begin(), pb->volume.end(), qb.volume.begin(),
                                                 [](char a, char b) { return same_byte(a, b, true); })
                                : pb->volume == qb.volume;
  const bool expected = same_volume && pb->rooted == qb.rooted && (!pb->trailing || qb.directory) &&
                        segments_match(pb->segs, qb.segs, fold);
  require(compiled->matches(*path) == expected, "a pattern matches as the recursive definition says",
          corso::detail::concat({corso::detail::dump(pattern_text), " ", corso::detail::dump(path_text)}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t cut = input.find('\0');
  if (cut == input.npos) return 0;
  const bool fold = (data[0] & 2) != 0;
  const std::string_view pattern = input.substr(0, cut);
  const std::string_view path = input.substr(cut + 1);
  if (data[0] & 1) {
    check<corso::windows_syntax>(pattern, path, fold);
  } else {
    check<corso::posix_syntax>(pattern, path, fold);
  }
  return 0;
}
