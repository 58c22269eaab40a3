// File URIs (RFC 8089) for both syntaxes: pure, exact and the same on every
// host. Examples are written plainly, one character a byte; POSIX first,
// Windows after "|".
#pragma once

#include <string>
#include <string_view>

#include "corso/path.hpp"
#include "corso/result.hpp"

namespace corso {

// The file URI of an absolute path: to_file_uri(/a b/c) => file:///a%20b/c,
// to_file_uri(//h/x) => file:////h/x | to_file_uri(C:\a b\) => file:///C:/a%20b/,
// to_file_uri(\\srv\sh\x) => file://srv/sh/x, to_file_uri(\\localhost\sh\x) =>
// file:////localhost/sh/x (a share, not this machine), to_file_uri(\\?\C:\x) =>
// file:///C:/x. Every byte but A-Z a-z 0-9 - . _ ~ and the separator is
// percent-encoded with upper-case hex, byte by byte ('\' under POSIX is %5C,
// a ':' after a drive %3A); "." and ".." segments and a trailing separator
// are kept. An error quotes the path and says why for a relative path, and
// under Windows for C:x, \x, a drive that is not one ASCII letter, a device,
// and a verbatim path without a plain form that names the same file.
inline constexpr struct to_file_uri_fn {
  template <path_syntax S>
  [[nodiscard]] CORSO_API result<std::string> operator()(const basic_path<S>& p) const;
} to_file_uri{};

// The path of a file URI, in any of the forms of RFC 8089 (its appendix E
// included): file:///p, file://localhost/p, file:/p; under Windows also
// file:///C:/p, file:///C|/p, file:///C%3A/p, file:C:/p and UNC paths from a
// host (file://srv/sh/x => \\srv\sh\x) or from leading slashes
// (file:////srv/sh/x). Percent escapes are decoded; raw bytes are taken as
// they are (under Windows a raw '\' separates, as '/' does). An error quotes
// the URI and says why: another scheme, a query or a fragment, user
// information or a port, no path, a relative reference, a malformed escape,
// an encoded NUL or separator, a host under POSIX, and under Windows a local
// path with no drive or a drive with no path after it.
template <path_syntax S>
[[nodiscard]] CORSO_API result<basic_path<S>> of_file_uri(std::string_view uri);

// The instantiations that the library compiles and exports, for either
// syntax: declared here with `extern template`, defined by its unit with
// `template`, from this one list.
#define CORSO_URI_INSTANTIATIONS(KEYWORDS, S)                                                    \
  KEYWORDS CORSO_API result<std::string> to_file_uri_fn::operator()(const basic_path<S>&) const; \
  KEYWORDS CORSO_API result<basic_path<S>> of_file_uri<S>(std::string_view);

CORSO_URI_INSTANTIATIONS(extern template, posix_syntax)
CORSO_URI_INSTANTIATIONS(extern template, windows_syntax)

}  // namespace corso
