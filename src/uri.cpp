// File URIs for both syntaxes: percent-encoding on the way out, the forms of
// RFC 8089 on the way in.
#include "corso/uri.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "corso/relations.hpp"
#include "corso/untrusted.hpp"
#include "strings.hpp"
#include "volume.hpp"

namespace corso {
namespace detail {
namespace {

// The bytes a URI writes as they are: A-Z a-z 0-9 - . _ ~.
constexpr std::array<bool, 256> unreserved = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) {
    const auto b = static_cast<char>(c);
    table[static_cast<std::size_t>(c)] =
        is_ascii_letter(b) || (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' || b == '~';
  }
  return table;
}();

// Appends s with every byte but the unreserved ones and Sep percent-encoded;
// Sep, the separator of the syntax, becomes '/'. The escapes are counted
// first, so that the text grows once and is written through a pointer.
template <char Sep>
void append_encoded(std::string& out, std::string_view s) {
  constexpr std::string_view hex = "0123456789ABCDEF";
  const auto kept = [](char c) { return unreserved[static_cast<unsigned char>(c)] || c == Sep; };
  const auto escapes = static_cast<std::size_t>(std::count_if(s.begin(), s.end(), [&](char c) { return !kept(c); }));
  const std::size_t at = out.size();
  out.resize(at + s.size() + 2 * escapes);
  char* w = out.data() + at;
  for (const char c : s) {
    if (kept(c)) {
      *w++ = c == Sep ? '/' : c;
    } else {
      const auto b = static_cast<unsigned char>(c);
      *w++ = '%';
      *w++ = hex[b >> 4];
      *w++ = hex[b & 15];
    }
  }
}

constexpr int hex_value(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  const char l = ascii_lower(c);
  return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}

template <path_syntax S>
constexpr bool is_uri_sep(char c) noexcept {
  // Under Windows a raw '\' separates in a URI's path, as '/' does.
  return c == '/' || (S::is_windows && c == '\\');
}

// s percent-decoded, or why it cannot be: a malformed escape, or an escape
// that decodes to a NUL or to a separator, which would make other segments
// than the URI's.
template <path_syntax S>
std::optional<std::string_view> decode(std::string_view s, std::string& out) {
  out.reserve(out.size() + s.size());
  for (std::size_t i = 0;;) {
    // Raw bytes are taken as they are, a run at a time.
    const std::size_t pct = std::min(find_byte(s, '%', i), s.size());
    out.append(s.substr(i, pct - i));
    if (pct == s.size()) return std::nullopt;
    const int hi = pct + 1 < s.size() ? hex_value(s[pct + 1]) : -1;
    const int lo = pct + 2 < s.size() ? hex_value(s[pct + 2]) : -1;
    if (hi < 0 || lo < 0) return "has a malformed percent escape";
    const auto c = static_cast<char>(hi * 16 + lo);
    if (c == '\0') return "has an encoded NUL byte";
    if (is_uri_sep<S>(c)) return "has an encoded separator";
    out += c;
    i = pct + 3;
  }
}

// The length of a drive at the start of a decoded Windows path, one ASCII
// letter and ':' or '|' (C| is the form of old URIs), or 0.
constexpr std::size_t uri_drive_size(std::string_view p) noexcept {
  return p.size() >= 2 && is_ascii_letter(p[0]) && (p[1] == ':' || p[1] == '|') ? 2 : 0;
}

// Parses text, a path built from a URI, in syntax S.
template <path_syntax S>
result<basic_path<S>> path_of_uri(std::string_view uri, std::string text) {
  result<basic_path<S>> p = basic_path<S>::of_string(std::move(text));
  if (!p) return error(message(uri, "is not a path once decoded"));
  return p;
}

// The UNC path of host and of the decoded path after it, which begins with a
// separator and holds the share.
result<windows_path> unc_of_uri(std::string_view uri, std::string_view host, std::string_view after) {
  if (host.empty()) return error(message(uri, "has an empty host"));
  // \\.\ and \\?\ would be a device or a verbatim path, not a share.
  if (host == "." || host == "?") return error(message(uri, "has a host that would make a device or verbatim path"));
  const std::size_t share_end = std::min(after.find_first_of("/\\", 1), after.size());
  if (after.size() <= 1) return error(message(uri, "has a host with no share"));
  if (share_end == 1) return error(message(uri, "has an empty share"));
  return path_of_uri<windows_syntax>(uri, concat({"\\\\", host, after}));
}

}  // namespace
}  // namespace detail

template <path_syntax S>
result<std::string> to_file_uri_fn::operator()(const basic_path<S>& p) const {
  const std::string_view v = p.view();
  const auto refuse = [&](std::string_view why) { return error(detail::message(v, why)); };
  std::string out = "file://";
  if constexpr (!S::is_windows) {
    if (is_rel(p)) return refuse("is relative");
    detail::append_encoded<'/'>(out, v);
    return out;
  } else {
    using enum windows_volume_kind;
    const auto [kind, volume, rest] = detail::typed_volume_of(v);
    if (kind == verbatim_drive || kind == verbatim_unc) {
      const std::optional<windows_path> plain = of_verbatim(p);
      if (!plain) return refuse("is a verbatim path whose plain form names another file");
      return to_file_uri(*plain);
    }
    switch (kind) {
      case drive:
        if (rest[0] != '\\') return refuse("is relative to the current directory of its drive");
        if (!detail::is_one_letter_drive(volume)) return refuse("has a drive that is not one ASCII letter");
        out += '/';
        out += volume;
        detail::append_encoded<'\\'>(out, rest);
        return out;
      case unc: {
        const auto [server, share] = detail::server_and_share(volume.substr(2));
        // file://localhost/x is this machine: a share of that name takes the four-slash form.
        if (detail::equal_ignoring_ascii_case(server, "localhost")) out += "//";
        detail::append_encoded<'\\'>(out, server);
        out += '/';
        detail::append_encoded<'\\'>(out, share);
        detail::append_encoded<'\\'>(out, rest);
        return out;
      }
      case none:
        return refuse(is_rel(p) ? "is relative" : "names no drive");
      case device:
        return refuse("is a device path");
      default:
        return refuse("has a verbatim volume that no URI names");
    }
  }
}

template <path_syntax S>
result<basic_path<S>> of_file_uri(std::string_view uri) {
  const auto refuse = [&](std::string_view why) -> result<basic_path<S>> { return error(detail::message(uri, why)); };
  if (uri.size() < 5 || !detail::equal_ignoring_ascii_case(uri.substr(0, 5), "file:")) {
    return refuse("is not a file URI");
  }
  // Such bytes in a path are encoded: here they begin a query or a fragment.
  if (detail::find_either(uri, '?', '#') != uri.npos) return refuse("has a query or a fragment");
  std::string_view rest = uri.substr(5);
  std::string host;
  const bool has_authority = rest.starts_with("//");
  if (has_authority) {
    rest.remove_prefix(2);
    const std::size_t end = std::min(rest.find_first_of(S::is_windows ? "/\\" : "/"), rest.size());
    const std::string_view raw_host = rest.substr(0, end);
    rest.remove_prefix(end);
    if (raw_host.find('@') != raw_host.npos) return refuse("has user information");
    if (raw_host.find(':') != raw_host.npos) return refuse("has a port");
    if (const auto why = detail::decode<S>(raw_host, host)) return refuse(*why);
    if (detail::equal_ignoring_ascii_case(host, "localhost")) host.clear();
  }
  if (rest.empty()) return refuse("has no path");
  std::string path;
  if (const auto why = detail::decode<S>(rest, path)) return refuse(*why);
  const bool rooted = detail::is_uri_sep<S>(path[0]);
  if constexpr (!S::is_windows) {
    if (!host.empty()) return refuse("names a host other than localhost");
    if (!rooted) return refuse("is a relative reference");
    return detail::path_of_uri<S>(uri, std::move(path));
  } else {
    if (!host.empty()) return detail::unc_of_uri(uri, host, path);
    // file:///C:/p, file:/C|/p, file:C:/p: the drive is found after decoding.
    const std::string_view local = std::string_view(path).substr(rooted ? 1 : 0);
    if (const std::size_t n = detail::uri_drive_size(local)) {
      if (local.size() == n || !detail::is_uri_sep<S>(local[n])) return refuse("has a drive with no path after it");
      // /C|/p becomes C:/p in place, which parsing reads as C:\p.
      if (rooted) path.erase(0, 1);
      path[1] = ':';
      return detail::path_of_uri<S>(uri, std::move(path));
    }
    if (!rooted) return refuse("is a relative reference");
    // file:////srv/sh/x and file://///srv/sh/x: a UNC path written after an empty host.
    const std::size_t start = std::min(path.find_first_not_of("/\\"), path.size());
    if (start >= 2) {
      const std::string_view unc = std::string_view(path).substr(start);
      const std::size_t host_end = std::min(unc.find_first_of("/\\"), unc.size());
      return detail::unc_of_uri(uri, unc.substr(0, host_end), unc.substr(host_end));
    }
    // A rooted path with no drive names a file on whichever drive is current.
    return refuse("names no drive");
  }
}

CORSO_URI_INSTANTIATIONS(template, posix_syntax)
CORSO_URI_INSTANTIATIONS(template, windows_syntax)

}  // namespace corso
