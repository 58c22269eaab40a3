// Internal, not part of the public interface: normal forms as segment lists,
// shared by normalization and relativization.
#pragma once

#include <string_view>

#include "segments.hpp"

namespace corso::detail {

// Fills out with the segments of the normal form of v (a POSIX path without
// its "//" volume, or the part of a Windows path after its volume), as
// `segs` lists them: a first empty element for an absolute v, a last empty
// element for a directory path. One pass; out starts empty.
template <char Sep>
void normal_segs(std::string_view v, seg_list& out);

// True when some segment of v is "." or "..": only then can normalization
// change anything.
template <char Sep>
[[nodiscard]] bool has_rel_seg(std::string_view v) noexcept;

}  // namespace corso::detail
