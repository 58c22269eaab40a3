// Conversions between Corso's paths and std::filesystem::path, on bytes
// alone: nothing is looked up on a file system. Not included by
// corso/corso.hpp, so that only the users who want <filesystem> pay for it.
//
// On POSIX hosts std::filesystem::path holds bytes, and every conversion
// keeps them. On Windows hosts it holds UTF-16: a Corso path is read as UTF-8
// and a std::filesystem::path written as UTF-8, so bytes that are not UTF-8,
// or UTF-16 with a surrogate out of its pair, have no counterpart. Both
// conversions therefore return a result on every host, and neither throws.
#pragma once

#include <filesystem>
#include <string>
#include <type_traits>
#include <utility>

#include "corso/detail/encoding.hpp"
#include "corso/path.hpp"

namespace corso {

// The std::filesystem::path of p's bytes: to_std_path(posix_path::v("a/b/")) => "a/b/".
// On a Windows host, p's bytes are read as UTF-8: to_std_path(posix_path::v("a\xff"))
// => the error "\"a\\xff\": not valid UTF-8" there, the path "a\xff" elsewhere.
inline constexpr struct to_std_path_fn {
  template <path_syntax S>
  [[nodiscard]] result<std::filesystem::path> operator()(const basic_path<S>& p) const {
    using native = std::filesystem::path::string_type;
    if constexpr (std::is_same_v<native::value_type, char>) {
      return std::filesystem::path(p.to_string());
    } else {  // wchar_t, UTF-16 on Windows
      result<std::u16string> wide = detail::utf8_to_utf16(p.view());
      if (!wide) return wide.error();
      return std::filesystem::path(native(wide->begin(), wide->end()));
    }
  }
} to_std_path{};

// The path of p's bytes in the syntax S (the host's by default), or the
// error of of_string: of_std_path<windows_syntax>("C:/a") => C:\a,
// of_std_path(std::filesystem::path()) => the error "\"\": invalid path".
// On a Windows host the bytes are p's UTF-8 form; UTF-16 with a surrogate
// out of its pair has none, and gives an error that names it.
template <path_syntax S = host_syntax>
[[nodiscard]] result<basic_path<S>> of_std_path(const std::filesystem::path& p) {
  using native = std::filesystem::path::string_type;
  if constexpr (std::is_same_v<native::value_type, char>) {
    return basic_path<S>::of_string(std::string(p.native()));
  } else {
    const native& n = p.native();
    result<std::string> bytes = detail::utf16_to_utf8(std::u16string(n.begin(), n.end()));
    if (!bytes) return bytes.error();
    return basic_path<S>::of_string(std::move(*bytes));
  }
}

}  // namespace corso
