// Prints a corpus of the benchmarks, every path followed by a NUL byte, for
// the peers that run on their own toolchains: corso_corpus posix | windows | requests.
#include <iostream>
#include <string_view>

#include "corpus.hpp"

int main(int argc, char** argv) {
  const std::string_view which = argc > 1 ? argv[1] : "";
  const std::vector<std::string>* paths = which == "posix"      ? &corso::bench::posix_corpus()
                                          : which == "windows"  ? &corso::bench::windows_corpus()
                                          : which == "requests" ? &corso::bench::requests()
                                                                : nullptr;
  if (paths == nullptr) {
    std::cerr << "usage: corso_corpus posix | windows | requests\n";
    return 2;
  }
  for (const std::string& p : *paths) std::cout.write(p.data(), static_cast<std::streamsize>(p.size())).put('\0');
  return std::cout ? 0 : 2;
}
