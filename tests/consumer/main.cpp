// A program of a project that uses Corso from outside: built against the
// installed package (find_package and pkg-config) and through FetchContent.
#include <corso/corso.hpp>
#include <corso/version.hpp>

#include <iostream>

int main() {
  const corso::posix_path root = corso::posix_path::v("/srv/www/");
  const auto rel = corso::relativize(root, corso::posix_path::v("/srv/www/img/../a.css"));
  const corso::windows_path w = corso::windows_path::v("C:/a/./b.tar.gz");
  const auto css = corso::windows_pattern::v("C:/**/*.gz");
  std::cout << CORSO_VERSION_STRING << ' ' << rel.value() << ' ' << corso::normalize(w) << ' '
            << corso::posix_path_set::of_list({root, root}) << ' ' << css.matches(w) << '\n';
  return rel && rel->to_string() == "a.css" && css.matches(w) ? 0 : 1;
}
