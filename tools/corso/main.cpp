#include <iostream>
#include <string_view>
#include <vector>

#include "cli.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include <corso/detail/encoding.hpp>
#endif

namespace {
int run(const std::vector<std::string_view>& args) {
  // Buffered standard streams: -z batches run over millions of records.
  std::ios::sync_with_stdio(false);
  const int status = corso::cli::run(args, std::cin, std::cout, std::cerr);
  std::cout.flush();
  return std::cout ? status : 2;
}
}  // namespace

#ifdef _WIN32
// Windows hands a program its arguments in UTF-16; the ANSI argv of main()
// would lose every character outside the code page. They are taken as
// UTF-8, and the streams in binary mode, so that the tool reads and writes
// the same bytes as everywhere else (no CR before LF, no end at Ctrl-Z).
int wmain(int argc, wchar_t** argv) {
  for (std::FILE* f : {stdin, stdout, stderr}) _setmode(_fileno(f), _O_BINARY);
  std::vector<std::string> owned;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view w = argv[i];
    auto bytes = corso::detail::utf16_to_utf8(std::u16string(w.begin(), w.end()));
    if (!bytes) {
      std::cerr << "corso: " << bytes.error().message() << '\n';
      return 2;
    }
    owned.push_back(std::move(*bytes));
  }
  return run(std::vector<std::string_view>(owned.begin(), owned.end()));
}
#else
int main(int argc, char** argv) { return run(std::vector<std::string_view>(argv + 1, argv + argc)); }
#endif
