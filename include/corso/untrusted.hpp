// Paths from outside: names Windows refuses, paths that stay inside any
// directory, appending beneath a root in one call, checked conversions
// between the syntaxes, and the kinds and verbatim forms of Windows volumes.
// Examples are written plainly, one character a byte; POSIX first, Windows
// after "|".
#pragma once

#include <optional>
#include <string_view>

#include "corso/path.hpp"
#include "corso/result.hpp"

namespace corso {

// Why Windows would not create or open a segment as the name it reads.
enum class name_fault : unsigned char {
  forbidden_byte,         // a byte 0x00 to 0x1F, or one of < > : " / \ | ? *
  trailing_dot_or_space,  // Windows drops them: "a." opens "a"
  reserved_name,          // a device: CON, NUL.txt, "COM1 .tar", LPT¹
};

// "forbidden-byte", "trailing-dot-or-space" or "reserved-name".
[[nodiscard]] CORSO_API std::string_view to_string(name_fault fault) noexcept;

// The first fault of seg in the order of name_fault, or nothing:
// windows_name_fault("a:b") => forbidden_byte, windows_name_fault("a.") =>
// trailing_dot_or_space, windows_name_fault("con.txt") => reserved_name,
// windows_name_fault("CONx") => nothing. A reserved name is one of CON, PRN,
// AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$, or COM or LPT followed by
// ¹, ² or ³, in any ASCII case, before the first '.' and trailing spaces.
// "", "." and ".." are never faulty. The same under both syntaxes: it is
// about Windows, not about how the path is written.
[[nodiscard]] CORSO_API std::optional<name_fault> windows_name_fault(std::string_view seg) noexcept;

// The flag of is_local and append_beneath.
struct local_options {
  bool windows_names = false;  // under POSIX too, refuse segments that Windows would (always on under Windows)
};

// True when p, appended to any directory, stays inside it: p is relative,
// has no volume, and its normal form does not begin with "..". Under
// Windows (or with {.windows_names = true}) no segment as written may have a
// windows_name_fault. is_local(a/../b) => true, is_local(.) => true,
// is_local(a/../..) => false, is_local(/a) => false | is_local(C:a) => false,
// is_local(NUL) => false, is_local(CON\..\a) => false, is_local(a\b:c) => false.
inline constexpr struct is_local_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API bool operator()(const basic_path<S>& p, local_options options = {}) const noexcept;
} is_local{};

// normalize(append(to_dir_path(root), q)) for the path q that untrusted
// reads as, when q is local, or an error that says why not, checked in this
// order: the parse error of untrusted; "\"//a\": has a volume";
// "\"/etc\": is absolute"; "\"a/NUL\": holds a name Windows refuses
// (reserved-name)"; "\"../x\": leaves the root". The result is always rooted
// in root (is_rooted(root, result)); under Windows it begins with \??\ (the
// NT namespace) only when root does. Never throws on untrusted input.
// append_beneath(/srv/www, img/a.png) => /srv/www/img/a.png |
// append_beneath(C:\srv\, a\..\b) => C:\srv\b.
inline constexpr struct append_beneath_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API result<basic_path<S>> operator()(const basic_path<S>& root, std::string_view untrusted,
                                                           local_options options = {}) const;
  template <path_syntax S>
  [[nodiscard]] CORSO_API result<basic_path<S>> operator()(const basic_path<S>& root, const basic_path<S>& untrusted,
                                                           local_options options = {}) const;
} append_beneath{};

// The Windows path with the same segments: to_windows(/a/b/) => \a\b\.
// Nothing when p has the "//" volume or a segment with a windows_name_fault
// ('\' or ':' would become a separator or a volume, and a. would alias a).
inline constexpr struct to_windows_fn {
  [[nodiscard]] CORSO_API std::optional<windows_path> operator()(const posix_path& p) const;
} to_windows{};

// The POSIX path with the same segments: to_posix(\a\b) => /a/b. Nothing
// when p has a volume.
inline constexpr struct to_posix_fn {
  [[nodiscard]] CORSO_API std::optional<posix_path> operator()(const windows_path& p) const;
} to_posix{};

// The kinds of Windows volumes.
enum class windows_volume_kind : unsigned char {
  none,            // a\b, \a
  drive,           // up to the first ':': C:, ab:
  unc,             // \\server\share
  verbatim_drive,  // \\?\C:
  verbatim_unc,    // \\?\UNC\server\share
  verbatim,        // \\?\ and any other two segments: \\?\Volume{x}\a
  device,          // \\.\device, \\.\UNC\server\share (UNC in any ASCII case)
};

// "none", "drive", "unc", "verbatim-drive", "verbatim-unc", "verbatim" or "device".
[[nodiscard]] CORSO_API std::string_view to_string(windows_volume_kind kind) noexcept;

// The kind of p's volume: volume_kind(C:a) => drive, volume_kind(\\?\C:\x) =>
// verbatim_drive, volume_kind(\\?\ab:\x) => verbatim_drive.
inline constexpr struct volume_kind_fn {
  [[nodiscard]] CORSO_API windows_volume_kind operator()(const windows_path& p) const noexcept;
} volume_kind{};

// The verbatim form of normalize(p), for a fully absolute path on a
// one-letter drive or a UNC share: to_verbatim(C:\a\..\b) => \\?\C:\b,
// to_verbatim(\\srv\sh\x) => \\?\UNC\srv\sh\x. A verbatim path comes back as
// it is. Nothing for any other path, and when a segment of the normal form
// has a windows_name_fault (C:\a. opens a, \\?\C:\a. opens a.): Windows
// resolves no "." or ".." in a verbatim path.
inline constexpr struct to_verbatim_fn {
  [[nodiscard]] CORSO_API std::optional<windows_path> operator()(const windows_path& p) const;
} to_verbatim{};

// The plain form of a verbatim drive or UNC path when it names the same
// file: of_verbatim(\\?\C:\x) => C:\x, of_verbatim(\\?\UNC\srv\sh\x) =>
// \\srv\sh\x. Nothing when the drive is not one ASCII letter, the server or
// share is "." or ".." (or the server "?"), a segment is "." or ".." or has a
// windows_name_fault, the plain path would be longer than 259 bytes, or the
// volume is another verbatim one (\\?\Volume{x}\a\). A path that is not
// verbatim comes back as it is.
inline constexpr struct of_verbatim_fn {
  [[nodiscard]] CORSO_API std::optional<windows_path> operator()(const windows_path& p) const;
} of_verbatim{};

// The instantiations that the library compiles and exports, for either
// syntax: declared here with `extern template`, defined by its unit with
// `template`, from this one list.
#define CORSO_UNTRUSTED_INSTANTIATIONS(KEYWORDS, S)                                                                  \
  KEYWORDS CORSO_API bool is_local_fn::operator()(const basic_path<S>&, local_options) const noexcept;               \
  KEYWORDS CORSO_API result<basic_path<S>> append_beneath_fn::operator()(const basic_path<S>&, std::string_view,     \
                                                                         local_options) const;                       \
  KEYWORDS CORSO_API result<basic_path<S>> append_beneath_fn::operator()(const basic_path<S>&, const basic_path<S>&, \
                                                                         local_options) const;

CORSO_UNTRUSTED_INSTANTIATIONS(extern template, posix_syntax)
CORSO_UNTRUSTED_INSTANTIATIONS(extern template, windows_syntax)

}  // namespace corso
