// LLVM's llvm::sys::path on the paths of the benchmark corpus, read
// NUL-terminated on standard input (corso_corpus posix | windows), with
// Style::posix or Style::windows: the path rules are the style's, not the
// host's. Prints the median time a path over 11 passes, in the shape of the
// benchmark's own rows:
//
//   BM_<operation>/llvm_<call>/<syntax>  <ns> ns/path
//
// sys::path works on strings: parent_path, filename, extension and stem
// return views into the text, and there is no object to construct, so
// parse_copy is the copy into a SmallString<128> (no allocation up to 128
// bytes, nothing checked), and on Windows also native(), which turns '/' into
// '\'. There is no lexical relative path and no multiple extension.
// bench/peers/run builds it with llvm-config. Usage: path posix|windows
#include <llvm/ADT/SmallString.h>
#include <llvm/ADT/StringRef.h>
#include <llvm/Support/Path.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace sp = llvm::sys::path;

constexpr int passes = 11;

std::vector<std::string> read_paths() {
  std::string data((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  std::vector<std::string> paths;
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    if (end > start) paths.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return paths;
}

// Runs op on every path, passes times, and prints the median time a path.
// The sizes op returns are summed and printed, so that nothing is left out.
template <class Op>
void time_op(const char* row, const std::vector<std::string>& paths, Op op) {
  std::vector<double> per_path;
  std::size_t sink = 0;
  for (int pass = 0; pass < passes; ++pass) {
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& p : paths) sink += op(p);
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    per_path.push_back(took.count() / static_cast<double>(paths.size()));
  }
  std::sort(per_path.begin(), per_path.end());
  std::printf("%s  %.1f ns/path  (%zu paths, checksum %zu)\n", row, per_path[passes / 2], paths.size(), sink);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string syntax = argc > 1 ? argv[1] : "";
  if (syntax != "posix" && syntax != "windows") {
    std::fprintf(stderr, "usage: path posix|windows\n");
    return 2;
  }
  const bool windows = syntax == "windows";
  const sp::Style style = windows ? sp::Style::windows : sp::Style::posix;
  const char* const tail = windows ? "include\\corso\\path.hpp" : "include/corso/path.hpp";
  const std::vector<std::string> paths = read_paths();
  if (paths.empty()) {
    std::fprintf(stderr, "path: no paths on standard input\n");
    return 2;
  }
  auto row = [&](const char* op, const char* call) { return "BM_" + std::string(op) + "/llvm_" + call + "/" + syntax; };

  time_op(row("parse_copy", "smallstring").c_str(), paths, [](const std::string& p) {
    llvm::SmallString<128> s(p);
    return s.size() + s[0];
  });
  if (windows) {
    time_op(row("parse_copy", "smallstring_native").c_str(), paths, [style](const std::string& p) {
      llvm::SmallString<128> s(p);
      sp::native(s, style);
      return s.size() + s[s.size() - 1];
    });
  }
  time_op(row("normalize", "remove_dots").c_str(), paths, [style](const std::string& p) {
    llvm::SmallString<128> s(p);
    sp::remove_dots(s, /*remove_dot_dot=*/true, style);
    return s.size();
  });
  time_op(row("parent", "parent_path").c_str(), paths,
          [style](const std::string& p) { return sp::parent_path(p, style).size(); });
  time_op(row("filename", "filename").c_str(), paths,
          [style](const std::string& p) { return sp::filename(p, style).size(); });
  time_op(row("get_ext", "extension").c_str(), paths,
          [style](const std::string& p) { return sp::extension(p, style).size(); });
  time_op(row("stem", "stem").c_str(), paths, [style](const std::string& p) { return sp::stem(p, style).size(); });
  time_op(row("append", "append").c_str(), paths, [style, tail](const std::string& p) {
    llvm::SmallString<128> s(p);
    sp::append(s, style, tail);
    return s.size();
  });
  time_op(row("segments", "iterator").c_str(), paths, [style](const std::string& p) {
    std::size_t n = 0;
    for (auto it = sp::begin(p, style), end = sp::end(p); it != end; ++it) ++n;
    return n;
  });
  return 0;
}
