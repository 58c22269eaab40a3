// Corso: lexical operations on POSIX and Windows paths treated as values.
// The one header to include; corso/filesystem.hpp adds the conversions to
// and from std::filesystem::path, and corso/version.hpp the version macros.
#pragma once

#include "corso/extensions.hpp"  // IWYU pragma: export
#include "corso/format.hpp"      // IWYU pragma: export
#include "corso/map.hpp"         // IWYU pragma: export
#include "corso/path.hpp"        // IWYU pragma: export
#include "corso/pattern.hpp"     // IWYU pragma: export
#include "corso/relations.hpp"   // IWYU pragma: export
#include "corso/result.hpp"      // IWYU pragma: export
#include "corso/set.hpp"         // IWYU pragma: export
#include "corso/structure.hpp"   // IWYU pragma: export
#include "corso/syntax.hpp"      // IWYU pragma: export
#include "corso/untrusted.hpp"   // IWYU pragma: export
#include "corso/uri.hpp"         // IWYU pragma: export
