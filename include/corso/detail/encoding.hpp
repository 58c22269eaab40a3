// Internal to corso/filesystem.hpp: the conversions between UTF-8 and
// UTF-16 that a Windows host's std::filesystem::path needs. Compiled into the
// library so that the header needs no message code of its own.
#pragma once

#include <string>
#include <string_view>

#include "corso/export.hpp"
#include "corso/result.hpp"

namespace corso::detail {

// The UTF-16 form of the UTF-8 bytes s, or the error "<dump of s>: not valid
// UTF-8" (strict UTF-8: no overlong forms, surrogates or values past U+10FFFF).
[[nodiscard]] CORSO_API result<std::u16string> utf8_to_utf16(std::string_view s);

// The UTF-8 form of s, or an error naming it when it holds a surrogate
// without its pair.
[[nodiscard]] CORSO_API result<std::string> utf16_to_utf8(std::u16string_view s);

}  // namespace corso::detail
