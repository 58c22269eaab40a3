// Parsing under both syntaxes: never a crash; every success is a path that
// parses to itself and keeps the invariants of its syntax; every failure
// carries the quoted message.
#include <cstddef>
#include <cstdint>

#include "check.hpp"

namespace {

template <corso::path_syntax S>
void parse(std::string_view s) {
  const auto r = corso::basic_path<S>::of_string(s);
  if (!r) {
    const std::string& m = r.error().message();
    corso::fuzz::require(m.starts_with('"') && m.ends_with("\": invalid path"), "the message of a failed parse", m);
    corso::fuzz::require(s.empty() || s.find('\0') != s.npos || S::is_windows, "only NUL and \"\" fail under POSIX", s);
    return;
  }
  corso::fuzz::require_valid(*r);
  // An rvalue parses to the same path.
  const auto moved = corso::basic_path<S>::of_string(std::string(s));
  corso::fuzz::require(moved.has_value() && *moved == *r, "of_string of an rvalue gives the same path", s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view s(reinterpret_cast<const char*>(data), size);
  parse<corso::posix_syntax>(s);
  parse<corso::windows_syntax>(s);
  return 0;
}
