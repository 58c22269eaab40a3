#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <winerror.h>

#include <cstdio>
#include <cstdlib>

#include <corso/detail/encoding.hpp>
#else
#include <unistd.h>
#endif

namespace {

// Bytes a call to the system moves at most: _read and _write take an
// unsigned int count.
constexpr std::size_t most_per_call = std::size_t{1} << 30;

#ifdef _WIN32
int read_fd(char* p, std::size_t n) { return _read(0, p, static_cast<unsigned>(n)); }
int write_fd(const char* p, std::size_t n) { return _write(1, p, static_cast<unsigned>(n)); }
// After a failed write: whether the reader of the pipe has gone. Windows
// says so with errors that the C runtime maps to no errno of their own.
bool reader_gone() {
  const unsigned long why = _doserrno;
  for (const long gone : {ERROR_NO_DATA, ERROR_BROKEN_PIPE, ERROR_PIPE_NOT_CONNECTED}) {
    if (why == static_cast<unsigned long>(gone)) return true;
  }
  return errno == EPIPE;
}
#else
ssize_t read_fd(char* p, std::size_t n) { return ::read(0, p, n); }
ssize_t write_fd(const char* p, std::size_t n) { return ::write(1, p, n); }
bool reader_gone() { return errno == EPIPE; }
#endif

// Standard input and output as the system's descriptors: the tool's blocks
// go through no other buffer, and errno tells a reader that has gone from a
// full disk.
class fd_source final : public corso::cli::source {
 public:
  std::size_t read(std::span<char> into) override {
    for (;;) {
      const auto n = read_fd(into.data(), std::min(into.size(), most_per_call));
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) throw corso::cli::io_error(std::string("read error: ") + std::strerror(errno));
    }
  }
};

class fd_sink final : public corso::cli::sink {
 public:
  void write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const auto n = write_fd(bytes.data(), std::min(bytes.size(), most_per_call));
      if (n > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(n));
      } else if (n == 0) {
        throw corso::cli::io_error("write error: nothing written");
      } else if (reader_gone()) {
        // The reader has gone and SIGPIPE is ignored (or, on Windows, does not
        // exist): stop without a word, as the signal would have.
        throw corso::cli::io_error("");
      } else if (errno != EINTR) {
        throw corso::cli::io_error(std::string("write error: ") + std::strerror(errno));
      }
    }
  }
};

int run(const std::vector<std::string_view>& args) {
  fd_source in;
  fd_sink out;
  return corso::cli::run(args, in, out, std::cerr);
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
