// Internal, not part of the public interface: the two roads of
// relativization, exposed so that the tests can hold one against the other.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "corso/syntax.hpp"

namespace corso::detail {

// The relative path from the directory root to p, both in the form that
// normal_segs takes (a POSIX path without its "//" volume, the part of a
// Windows path after its volume): both normalized, then their segment lists
// walked.
template <path_syntax S>
[[nodiscard]] std::optional<std::string> _relativize(std::string_view root, std::string_view p);

// The same when neither root nor p has a "." or ".." segment, so that each
// is its own normal form: on the strings, without segment lists.
template <path_syntax S>
[[nodiscard]] std::optional<std::string> relativize_normal(std::string_view root, std::string_view p);

}  // namespace corso::detail
