// The corso command-line tool, as a function of its arguments and streams.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace corso::cli {

// Runs the tool on args (the program name excluded), reading -z records from
// in, writing results to out and messages to err. Returns the exit status:
// 0 success or true, 1 false or no result, 2 invalid input or usage error.
int run(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace corso::cli
