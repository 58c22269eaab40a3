// Conversions between Corso's paths and std::filesystem::path, on bytes
// alone: nothing is looked up on a file system. Not included by
// corso/corso.hpp, so that only the users who want <filesystem> pay for it.
#pragma once

#include <filesystem>
#include <string>

#include "corso/path.hpp"

namespace corso {

// The std::filesystem::path of p's bytes: to_std_path(posix_path::v("a/b/")) => "a/b/".
// On POSIX hosts the bytes are kept as they are; on Windows hosts they are
// read as UTF-8, the encoding std::filesystem expects of char8_t strings.
template <path_syntax S>
[[nodiscard]] std::filesystem::path to_std_path(const basic_path<S>& p) {
  if constexpr (std::is_same_v<std::filesystem::path::value_type, char>) {
    return std::filesystem::path(p.to_string());
  } else {
    const std::string& s = p.to_string();
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
  }
}

// The path of p's bytes in the syntax S (the host's by default), or the
// error of of_string: of_std_path<windows_syntax>("C:/a") => C:\a,
// of_std_path(std::filesystem::path()) => the error "\"\": invalid path".
template <path_syntax S = host_syntax>
[[nodiscard]] result<basic_path<S>> of_std_path(const std::filesystem::path& p) {
  if constexpr (std::is_same_v<std::filesystem::path::value_type, char>) {
    return basic_path<S>::of_string(std::string(p.native()));
  } else {
    const std::u8string u = p.u8string();
    return basic_path<S>::of_string(std::string(u.begin(), u.end()));
  }
}

}  // namespace corso
