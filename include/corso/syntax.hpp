// The two path syntaxes, their constants, and the choice of the host's one.
// The tags are exported: a template over them is only as visible as they are.
#pragma once

#include <concepts>
#include <string_view>
#include <type_traits>

#include "corso/export.hpp"

namespace corso {

// The POSIX syntax: '/' separates; a leading "//" is a volume of its own.
struct CORSO_API posix_syntax {
  static constexpr bool is_windows = false;
  static constexpr char dir_sep_char = '/';
  static constexpr std::string_view dir_sep = "/";
  static constexpr std::string_view dot_dir = "./";
  static constexpr std::string_view dotdot_dir = "../";
};

// The Windows syntax: '\' separates ('/' is turned into '\' when parsing);
// drive, UNC, verbatim and device volumes.
struct CORSO_API windows_syntax {
  static constexpr bool is_windows = true;
  static constexpr char dir_sep_char = '\\';
  static constexpr std::string_view dir_sep = "\\";
  static constexpr std::string_view dot_dir = ".\\";
  static constexpr std::string_view dotdot_dir = "..\\";
};

template <class S>
concept path_syntax = std::same_as<S, posix_syntax> || std::same_as<S, windows_syntax>;

// The host's operating-system type: "Win32" in Windows builds, "Unix" elsewhere.
#ifdef _WIN32
inline constexpr std::string_view os_type = "Win32";
#else
inline constexpr std::string_view os_type = "Unix";
#endif

// True exactly for "Win32", byte for byte: is_windows_os_type("win32") is false.
[[nodiscard]] constexpr bool is_windows_os_type(std::string_view type) noexcept { return type == "Win32"; }

// True when the host's syntax is the Windows one.
inline constexpr bool windows = is_windows_os_type(os_type);

// The host's syntax, used by `corso::path`.
using host_syntax = std::conditional_t<windows, windows_syntax, posix_syntax>;

// The host's separator: "/" or "\".
inline constexpr std::string_view dir_sep = host_syntax::dir_sep;

}  // namespace corso
