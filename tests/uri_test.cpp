// File URIs: encoding on the way out, the forms of RFC 8089 on the way in,
// and the round trip.
#include <gtest/gtest.h>

#include "test_util.hpp"

namespace corso::test {
namespace {

using namespace std::string_literals;

// The text of a result: the value, or the error's message.
template <class T>
std::string outcome(const result<T>& r) {
  if (!r) return r.error().message();
  if constexpr (std::is_same_v<T, std::string>) {
    return *r;
  } else {
    return r->to_string();
  }
}

TEST(ToFileUri, EncodesEveryByteButTheUnreservedAndTheSeparator) {
  const struct {
    std::string p;
    const char* out;  // a URI, or an error that quotes the path
    syntaxes only;
  } rows[] = {
      {"/a b/c", "file:///a%20b/c", posix_only},
      {"/", "file:///", posix_only},
      {"/a/./b/../", "file:///a/./b/../", posix_only},  // nothing is resolved
      {"/~a-b_c.d", "file:///~a-b_c.d", posix_only},
      {"/&=;+,@!$'()*", "file:///%26%3D%3B%2B%2C%40%21%24%27%28%29%2A", posix_only},
      {"/%41", "file:///%2541", posix_only},
      {"/\xc3\xa9\xff", "file:///%C3%A9%FF", posix_only},  // byte by byte, no character set
      {"C:/&=;+,@!$'()/%41\xc3\xa9", "file:///C:/%26%3D%3B%2B%2C%40%21%24%27%28%29/%2541%C3%A9", windows_only},
      {"C:/a/./b/../", "file:///C:/a/./b/../", windows_only},
      {"//h/x", "file:////h/x", posix_only},
      {"/a\\b", "file:///a%5Cb", posix_only},
      {"/a:b", "file:///a%3Ab", posix_only},
      {"a/b", R"("a/b": is relative)", posix_only},
      {".", R"(".": is relative)", posix_only},
      {R"(C:\a b\)", "file:///C:/a%20b/", windows_only},
      {R"(c:\x\y:z)", "file:///c:/x/y%3Az", windows_only},  // the drive's ':' alone stays
      {R"(C:\)", "file:///C:/", windows_only},
      {R"(\\srv\sh\x)", "file://srv/sh/x", windows_only},
      {R"(\\my srv\sh\)", "file://my%20srv/sh/", windows_only},
      {R"(\\LocalHost\sh\x)", "file:////LocalHost/sh/x", windows_only},  // the share, not this machine
      {R"(\\?\C:\x)", "file:///C:/x", windows_only},
      {R"(\\?\UNC\srv\sh\x)", "file://srv/sh/x", windows_only},
      {R"(\\?\C:\a.)", R"("\\\\?\\C:\\a.": is a verbatim path whose plain form names another file)", windows_only},
      {R"(a\b)", R"("a\\b": is relative)", windows_only},
      {"C:x", R"("C:x": is relative to the current directory of its drive)", windows_only},
      {R"(\x)", R"("\\x": names no drive)", windows_only},
      {R"(ab:\x)", R"("ab:\\x": has a drive that is not one ASCII letter)", windows_only},
      {R"(\\?\Volume{x}\a\)", R"("\\\\?\\Volume{x}\\a\\": has a verbatim volume that no URI names)", windows_only},
      {R"(\\.\COM1\)", R"("\\\\.\\COM1\\": is a device path)", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) { EXPECT_EQ(outcome(to_file_uri(s.path(row.p))), row.out); });
}

TEST(OfFileUri, TakesTheFormsOfRfc8089AndSaysWhyNot) {
  const struct {
    std::string in;
    answer out;
    syntaxes only = syntaxes::both;
  } rows[] = {
      {"file:///a%20b/c", {"/a b/c", R"("file:///a%20b/c": names no drive)"}},
      {"FILE:///a", {"/a", R"("FILE:///a": names no drive)"}},
      {"file://localhost/a", {"/a", R"("file://localhost/a": names no drive)"}},
      {"file://LOCALHOST/a", "/a", posix_only},
      {"file:/a", "/a", posix_only},
      {"file:///a b/\xc3\xa9", "/a b/\xc3\xa9", posix_only},  // raw bytes as they are
      {"file:///%c3%A9", "/\xc3\xa9", posix_only},            // hex in either case
      {"file:///a%5Cb", "/a\\b", posix_only},
      {"file:////h/x", "//h/x", posix_only},
      {"file:///a/./b/../", "/a/./b/../", posix_only},
      {"file://srv/x", R"("file://srv/x": names a host other than localhost)", posix_only},
      {"file:///C:/a%20b/", R"(C:\a b\)", windows_only},
      {"file:///C|/p", R"(C:\p)", windows_only},
      {"file:///c%3A/p", R"(c:\p)", windows_only},
      {"file:C:/p", R"(C:\p)", windows_only},
      {"file:/C:/p", R"(C:\p)", windows_only},
      {"file://localhost/C:/p", R"(C:\p)", windows_only},
      {"file:///C:\\a\\b", R"(C:\a\b)", windows_only},  // a raw '\' separates
      {"file:///C:/x%3Ay", R"(C:\x:y)", windows_only},
      {"file://srv/sh/x", R"(\\srv\sh\x)", windows_only},
      {"file://my%20srv/sh/", R"(\\my srv\sh\)", windows_only},
      {"file:////srv/sh/x", R"(\\srv\sh\x)", windows_only},
      {"file://///srv/sh/x", R"(\\srv\sh\x)", windows_only},
      {"file:////localhost/sh/x", R"(\\localhost\sh\x)", windows_only},
      {"file:///C:", R"("file:///C:": has a drive with no path after it)", windows_only},
      {"file:///C:x", R"("file:///C:x": has a drive with no path after it)", windows_only},
      {"file:///etc/x", R"("file:///etc/x": names no drive)", windows_only},
      {"file://srv", R"("file://srv": has no path)", windows_only},
      {"file://srv/", R"("file://srv/": has a host with no share)", windows_only},
      {"file://srv//x", R"("file://srv//x": has an empty share)", windows_only},
      {"file://./sh/x", R"("file://./sh/x": has a host that would make a device or verbatim path)", windows_only},
      {"file:////?/sh/x", R"("file:////?/sh/x": has a query or a fragment)", windows_only},
      {"file:///a%5Cb", R"("file:///a%5Cb": has an encoded separator)", windows_only},
      {"file:///a\0b"s, R"("file:///a\x00b": is not a path once decoded)", posix_only},
  };
  for_each_row(rows, [](auto s, const auto& row) {
    using S = typename decltype(s)::syntax;
    EXPECT_EQ(outcome(of_file_uri<S>(row.in)), s.want(row.out));
  });
  // Refused under both syntaxes, in the same words.
  const struct {
    const char* in;
    const char* why;
  } refused[] = {
      {"http://h/a", R"("http://h/a": is not a file URI)"},
      {"file", R"("file": is not a file URI)"},
      {"file:", R"("file:": has no path)"},
      {"file://", R"("file://": has no path)"},
      {"file://localhost", R"("file://localhost": has no path)"},
      {"file:a/b", R"("file:a/b": is a relative reference)"},
      {"file://u@srv/sh", R"("file://u@srv/sh": has user information)"},
      {"file://srv:445/sh", R"("file://srv:445/sh": has a port)"},
      {"file:///a?b", R"("file:///a?b": has a query or a fragment)"},
      {"file:///a#b", R"("file:///a#b": has a query or a fragment)"},
      {"file:///a%2Fb", R"("file:///a%2Fb": has an encoded separator)"},
      {"file:///a%00", R"("file:///a%00": has an encoded NUL byte)"},
      {"file:///a%", R"("file:///a%": has a malformed percent escape)"},
      {"file:///a%4", R"("file:///a%4": has a malformed percent escape)"},
      {"file:///a%g0", R"("file:///a%g0": has a malformed percent escape)"},
  };
  for_each_row(refused, [](const auto& row) {
    EXPECT_EQ(outcome(of_file_uri<posix_syntax>(row.in)), row.why);
    EXPECT_EQ(outcome(of_file_uri<windows_syntax>(row.in)), row.why);
  });
}

// Rows of nodejs/node test/parallel/test-url-pathtofileurl.js (MIT), of
// python/cpython Lib/test/test_pathlib (as_uri; PSF License 2) and of
// dart-lang/path test/{posix,windows}_test.dart (toUri; BSD-3-Clause), with
// Corso's answers. Corso encodes every byte outside the unreserved set, so
// where Node keeps sub-delimiters and ':' raw (and writes ~ as %7E), the row
// says so.
TEST(Borrowed, PathsToFileUris) {
  const struct {
    const char* p;
    const char* out;
    syntaxes only;
  } rows[] = {
      {R"(C:\foo)", "file:///C:/foo", windows_only},            // Node
      {R"(C:\dir\)", "file:///C:/dir/", windows_only},          // Node
      {R"(C:\foo bar)", "file:///C:/foo%20bar", windows_only},  // Node
      {R"(C:\foo?bar)", "file:///C:/foo%3Fbar", windows_only},  // Node
      {R"(C:\foo#bar)", "file:///C:/foo%23bar", windows_only},  // Node
      {R"(C:\foo&bar)", "file:///C:/foo%26bar", windows_only},  // Node keeps &
      {R"(C:\foo:bar)", "file:///C:/foo%3Abar", windows_only},  // Node keeps :
      {R"(C:\foo%bar)", "file:///C:/foo%25bar", windows_only},  // Node
      {R"(C:\foo\bar)", "file:///C:/foo/bar", windows_only},    // Node
      {"C:\\f\xc3\xb3\xc3\xb3"
       "b\xc3\xa0r",
       "file:///C:/f%C3%B3%C3%B3b%C3%A0r", windows_only},                                                // Node
      {"C:\\foo\tbar", "file:///C:/foo%09bar", windows_only},                                            // Node
      {R"(\\?\C:\path\to\file.txt)", "file:///C:/path/to/file.txt", windows_only},                       // Node
      {R"(\\nas\My Docs\File.doc)", "file://nas/My%20Docs/File.doc", windows_only},                      // Node
      {R"(\\?\UNC\server\share\folder\file.txt)", "file://server/share/folder/file.txt", windows_only},  // Node
      {"/foo", "file:///foo", posix_only},                                                               // Node
      {"/dir/", "file:///dir/", posix_only},                                                             // Node
      {R"(/foo\bar)", "file:///foo%5Cbar", posix_only},                                                  // Node
      {"/!$&'()*+,;=:@~", "file:///%21%24%26%27%28%29%2A%2B%2C%3B%3D%3A%40~", posix_only},  // Node: /!$&'()*+,;=:@%7E
      {"/a/b%#c", "file:///a/b%25%23c", posix_only},                                        // Python
      {"/a/b\xc3\xa9", "file:///a/b%C3%A9", posix_only},                                    // Python
      {"c:/a/b%#c", "file:///c:/a/b%25%23c", windows_only},                                 // Python
      {"//some/share/a/b%#c\xc3\xa9", "file://some/share/a/b%25%23c%C3%A9", windows_only},  // Python
      {"/a/b", R"("\\a\\b": names no drive)", windows_only},                                // Python: refused too
      {"c:a/b", R"("c:a\\b": is relative to the current directory of its drive)", windows_only},  // Python
      {"/_{_}_`_^_ _\"_%_", "file:///_%7B_%7D_%60_%5E_%20_%22_%25_", posix_only},                 // Dart
      // Dart gives file://server/share; the path \\server\share is \\server\share\ here.
      {R"(\\server\share)", "file://server/share/", windows_only},
  };
  for_each_row(rows, [](auto s, const auto& row) { EXPECT_EQ(outcome(to_file_uri(s.path(row.p))), row.out); });
}

// Rows of RFC 8089 (appendices B and E), of nodejs/node
// test/parallel/test-url-fileurltopath.js (MIT) and of python/cpython
// Lib/test/test_pathlib (from_uri; PSF License 2), with Corso's answers.
TEST(Borrowed, FileUrisToPaths) {
  const struct {
    const char* in;
    const char* out;
    syntaxes only;
  } rows[] = {
      {"file:///path/to/file", "/path/to/file", posix_only},  // RFC 8089 B
      {"file:/path/to/file", "/path/to/file", posix_only},    // RFC 8089 B
      {"file://host.example.com/path/to/file",                // RFC 8089 B: a remote file
       R"("file://host.example.com/path/to/file": names a host other than localhost)", posix_only},
      {"file:c:/path/to/file", R"(c:\path\to\file)", windows_only},     // RFC 8089 E.2
      {"file:///c:/path/to/file", R"(c:\path\to\file)", windows_only},  // RFC 8089 E.2
      {"file:///c|/path/to/file", R"(c:\path\to\file)", windows_only},  // RFC 8089 E.2.2
      {"file:/c|/path/to/file", R"(c:\path\to\file)", windows_only},    // RFC 8089 E.2.2
      {"file:c|/path/to/file", R"(c:\path\to\file)", windows_only},     // RFC 8089 E.2.2
      {"file://host.example.com/Share/path/to/file.txt", R"(\\host.example.com\Share\path\to\file.txt)",
       windows_only},                                                                                  // RFC 8089 E.3.1
      {"file:////host.example.com/path/to/file", R"(\\host.example.com\path\to\file)", windows_only},  // E.3.2
      {"file://///host.example.com/path/to/file", R"(\\host.example.com\path\to\file)", windows_only},  // E.3.2
      {"file:///C:/foo%3Fbar", R"(C:\foo?bar)", windows_only},                                          // Node
      {"file:///C:/foo:bar", R"(C:\foo:bar)", windows_only},                         // Node: a raw ':' after the drive
      {"file:///C:/foo&bar", R"(C:\foo&bar)", windows_only},                         // Node
      {"file://nas/My%20Docs/File.doc", R"(\\nas\My Docs\File.doc)", windows_only},  // Node
      {"file://host/a", R"(\\host\a\)", windows_only},  // Node gives \\host\a; a share's root keeps its '\' here
      {"file:///C:/a%2F/", R"("file:///C:/a%2F/": has an encoded separator)", windows_only},   // Node
      {"file:///C:/a%5C/", R"("file:///C:/a%5C/": has an encoded separator)", windows_only},   // Node
      {"file:///?:/", R"("file:///?:/": has a query or a fragment)", windows_only},            // Node
      {"file://host/a", R"("file://host/a": names a host other than localhost)", posix_only},  // Node
      {"file:///a%2F/", R"("file:///a%2F/": has an encoded separator)", posix_only},           // Node
      {"file:///foo%5Cbar", R"(/foo\bar)", posix_only},                                        // Node
      {"https://a/b/c", R"("https://a/b/c": is not a file URI)", posix_only},                  // Node
      {"file:////foo/bar", "//foo/bar", posix_only},                                           // Python
      // Python 3.13 gave //foo/bar; 3.14 refuses, as here.
      {"file://foo/bar", R"("file://foo/bar": names a host other than localhost)", posix_only},
      {"file://localhost/c|/path/to/file", R"(c:\path\to\file)", windows_only},  // Python
      {"c:/foo/bar", R"("c:/foo/bar": is not a file URI)", windows_only},        // Python
  };
  for_each_row(rows, [](auto s, const auto& row) {
    using S = typename decltype(s)::syntax;
    EXPECT_EQ(outcome(of_file_uri<S>(row.in)), row.out);
  });
}

// Every path that to_file_uri takes comes back from its URI; a verbatim one
// comes back in its plain form.
template <path_syntax S>
void check_round_trip(const basic_path<S>& p) {
  const auto uri = to_file_uri(p);
  if (!uri) return;
  SCOPED_TRACE(p.to_string() + " " + *uri);
  EXPECT_EQ(uri->find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~/:%"),
            std::string::npos);
  const auto back = of_file_uri<S>(*uri);
  ASSERT_TRUE(back.has_value()) << back.error().message();
  if constexpr (S::is_windows) {
    if (const auto plain = of_verbatim(p); plain && *plain != p) {
      EXPECT_EQ(*back, *plain);
      return;
    }
  }
  EXPECT_EQ(*back, p);
}

TEST(FileUri, RoundTripOverGeneratedPaths) {
  path_generator gen(17);
  int uris = 0;
  for (int i = 0; i < 10000; ++i) {
    if (auto p = posix_path::of_string(gen.posix())) {
      check_round_trip(*p);
      uris += to_file_uri(*p).has_value();
    }
    if (auto p = windows_path::of_string(gen.windows())) {
      check_round_trip(*p);
      uris += to_file_uri(*p).has_value();
    }
  }
  for (const char* p : {R"(\\localhost\sh\x)", R"(\\srv\sh\a%b c\)", R"(C:\a:b\c)", R"(\\..\sh\x)"}) {
    check_round_trip(wn(p));
  }
  check_round_trip(px("/a%2Fb/\xff\\:?#"));
  EXPECT_GT(uris, 5000);
}

}  // namespace
}  // namespace corso::test
