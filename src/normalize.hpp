// Internal, not part of the public interface: normal forms as segment lists,
// shared by normalization and relativization.
#pragma once

#include <string>
#include <string_view>

#include "segments.hpp"
#include "simd.hpp"

namespace corso::detail {

// Windows hands a path that begins with \??\ to the NT namespace as it is.
constexpr std::string_view nt_prefix = "\\??\\";

// A Windows path built from `origin` begins with \??\ only where origin did:
// \a\..\??\x normalizes to \.\??\x, with a "." in front that normalizing
// again keeps.
inline void keep_out_of_nt_namespace(std::string& built, std::string_view origin) {
  if (built.starts_with(nt_prefix) && !origin.starts_with(nt_prefix)) built.insert(1, ".\\");
}

// True when some segment of v is "." or "..": only then can normalization
// change anything.
// A "." or ".." segment begins with a '.' that begins a segment; such dots
// are rare (dot files, "./"), so they are found sixteen bytes a step and
// each one is then looked at.
template <char Sep>
[[nodiscard]] inline bool has_rel_seg(std::string_view v) noexcept {
  const std::size_t n = v.size();
  const auto rel_at = [&](std::size_t i) {  // v[i] is a '.' that begins a segment
    const std::size_t j = i + 1 < n && v[i + 1] == '.' ? i + 2 : i + 1;
    return j == n || v[j] == Sep;
  };
  if (n > 0 && v[0] == '.' && rel_at(0)) return true;
  std::size_t i = 1;
#if CORSO_SIMD
  // The block at `at` against the block before it by one byte: a dot after a separator.
  const auto block = [&](std::size_t at) {
    const simd::bytes here = simd::bytes::load(v.data() + at);
    const simd::bytes before = simd::bytes::load(v.data() + at - 1);
    for (unsigned bits = ((here == '.') & (before == Sep)).mask(); bits != 0; bits &= bits - 1) {
      if (rel_at(at + simd::lowest(bits))) return true;
    }
    return false;
  };
  if (n >= 17) {
    for (; i + 16 <= n; i += 16) {
      if (block(i)) return true;
    }
    return i < n && block(n - 16);  // overlaps the last block: a dot seen twice is looked at twice
  }
#endif
  for (; i < n; ++i) {
    if (v[i] == '.' && v[i - 1] == Sep && rel_at(i)) return true;
  }
  return false;
}

// The kept segments form a stack: a ".." cancels the named segment under it,
// "." goes, and a last "." or ".." leaves an empty segment, so that the result
// is a directory path exactly when v is one. The stack is always a run of
// ".." followed by names, so the ".." that an absolute path would keep right
// under its root are simply never pushed.
// Fills out with the segments of the normal form of v (a POSIX path without
// its "//" volume, or the part of a Windows path after its volume), as
// `segs` lists them: a first empty element for an absolute v, a last empty
// element for a directory path. One pass; out starts empty.
template <char Sep>
inline void normal_segs(std::string_view v, seg_list& out) {
  const bool absolute = v[0] == Sep;
  const std::size_t bottom = absolute ? 1 : 0;
  if (absolute) {
    out.push({});
    v.remove_prefix(1);
  }
  const auto nothing_to_cancel = [&] { return out.size() == bottom || out.back() == ".."; };
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = find_byte(v, Sep, start);
    const bool last = end == v.npos;
    const std::string_view seg = v.substr(start, last ? v.npos : end - start);
    if (seg == "..") {
      if (nothing_to_cancel()) {
        if (!absolute) out.push(seg);
      } else {
        out.pop();
        if (last) out.push({});
      }
    } else if (seg == ".") {
      if (last) out.push({});
    } else {
      out.push(seg);
    }
    if (last) break;
    start = end + 1;
  }
  if (nothing_to_cancel()) out.push({});  // after an empty last segment, never
  // A relative path whose segments all cancel is the current directory.
  if (!absolute && out.size() == 1 && out[0].empty()) {
    out.pop();
    out.push(".");
    out.push({});
  }
}

}  // namespace corso::detail
