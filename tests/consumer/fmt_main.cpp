// A program of a project that prints paths with fmt, through the installed
// corso/fmt.hpp: built by the find_package consumer where fmt is found.
#include <corso/corso.hpp>
#include <corso/fmt.hpp>

#include <string>

int main() {
  const corso::windows_path w = corso::windows_path::v("C:/a/./b.tar.gz");
  const corso::posix_path p = corso::posix_path::v("caf\xc3\xa9");
  const std::string text =
      fmt::format("{} {:?} {:>7}", corso::normalize(w), p, corso::posix_path_set::of_list({corso::posix_path::v("a")}));
  fmt::print("{}\n", text);
  return text == R"(C:\a\b.tar.gz "caf\xc3\xa9"   {"a"})" ? 0 : 1;
}
