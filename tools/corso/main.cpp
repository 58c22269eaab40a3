#include <iostream>
#include <string_view>
#include <vector>

#include "cli.hpp"

int main(int argc, char** argv) {
  // Buffered standard streams: -z batches run over millions of records.
  std::ios::sync_with_stdio(false);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const int status = corso::cli::run(args, std::cin, std::cout, std::cerr);
  std::cout.flush();
  return std::cout ? status : 2;
}
