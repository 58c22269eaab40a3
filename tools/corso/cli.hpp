// The corso command-line tool, as a function of its arguments and streams.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string_view>

namespace corso::cli {

// What a source or a sink throws when the bytes cannot be moved. The run
// stops at once with status 2 and prints "corso: " and the message, or
// nothing when the message is empty (the reader of the output has gone).
struct io_error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Standard input, read a block at a time.
class source {
 public:
  virtual ~source() = default;
  // Reads up to into.size() bytes (at least 1 when into is not empty) and
  // returns how many; 0 is the end of the input. May block until some bytes
  // come. Throws io_error.
  virtual std::size_t read(std::span<char> into) = 0;
};

// Standard output, written a block at a time.
class sink {
 public:
  virtual ~sink() = default;
  // Writes all of bytes, or throws io_error.
  virtual void write(std::string_view bytes) = 0;
};

// Runs the tool on args (the program name excluded), reading -z records from
// in, writing results to out and messages to err. Returns the exit status:
// 0 success or true, 1 false or no result, 2 invalid input, usage error or
// an input or output that failed.
int run(std::span<const std::string_view> args, source& in, sink& out, std::ostream& err);

// The same on streams: a stream that fails to read or write is an io_error.
int run(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace corso::cli
