// Formatters of the fmt library (version 9 or newer) for paths, path sets
// and path maps. It includes <fmt/format.h> and <fmt/ranges.h>; corso.hpp
// does not include it, and the library itself never needs fmt.
//
//   fmt::format("{}", posix_path::v("a/b"))                => a/b
//   fmt::format("{:?}", windows_path::v("C:/a"))           => "C:\\a"
//   fmt::format("{:?}", posix_path::v("\xc3\xa9\n"))       => "\xc3\xa9\n"
//   fmt::format("{:*^9}", posix_path::v("a/b"))            => ***a/b***
//   fmt::format("{}", posix_path_set::of_list({a, b}))     => {"a" "b"}
//   fmt::format("{}", posix_path_map<int>::of_list({{a, 1}, {b, 2}}))
//                                                          => {("a", 1) ("b", 2)}
//
// A path writes its bytes, and with the type '?' the text of corso::dump:
// quoted, with every byte outside printable ASCII escaped (fmt's own '?'
// would keep UTF-8). Inside a range printed by <fmt/ranges.h>, paths are
// written as with '?', as strings are. A set or a map writes its dump, with
// or without '?', on one line however long; a map is formattable when its
// values are, and writes them with "{}". Every other format option of a
// string (fill, alignment, width, precision, given or taken from an
// argument) applies to the text written; any other type, like 'd', is a
// fmt::format_error.
#pragma once

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "corso/format.hpp"
#include "corso/map.hpp"
#include "corso/path.hpp"
#include "corso/relations.hpp"
#include "corso/set.hpp"
#include "corso/syntax.hpp"

namespace corso::detail {

// The format options of a string, parsed by fmt's own formatter of strings
// so that every one of them works, and whether the type is '?'.
class fmt_text_formatter {
 public:
  template <class ParseContext>
  constexpr auto parse(ParseContext& ctx) -> decltype(ctx.begin()) {
    ParseContext before = ctx;  // the next automatic argument id, untouched
    const auto end = as_given_.parse(ctx);
    // The type is the last character of the options: a '?' there is no fill,
    // which an alignment always follows. Without one, debug_ stays as
    // set_debug_format left it.
    if (end == before.begin() || end[-1] != '?') return end;
    debug_ = true;
    // The dump is written as it stands: fmt's '?' would escape it again. So
    // the same options without their '?' are parsed once more, the automatic
    // argument ids (a width or a precision "{}") counted from where the
    // first parse began. Checking a format string at compile time needs
    // only the first parse.
    if (!std::is_constant_evaluated()) {
      const fmt::string_view options(before.begin(), static_cast<std::size_t>(end - 1 - before.begin()));
      const int next_id = std::string_view(options.data(), options.size()).find("{}") == std::string_view::npos
                              ? 0
                              : before.next_arg_id();
#if FMT_VERSION >= 100000
      fmt::format_parse_context plain(options, next_id);
#else
      fmt::format_parse_context plain(options, {}, next_id);
#endif
      plain_.parse(plain);
    }
    return end;
  }

  // What '?' asks for; <fmt/ranges.h> asks it for the elements of a range
  // (fmt 9 with no argument after parse, fmt 10 and newer with one before).
  constexpr void set_debug_format(bool set = true) noexcept { debug_ = set; }

 protected:
  [[nodiscard]] constexpr bool debug() const noexcept { return debug_; }

  // Writes text with the parsed fill, alignment, width and precision.
  template <class FormatContext>
  auto write(std::string_view text, FormatContext& ctx) const -> decltype(ctx.out()) {
    return (debug_ ? plain_ : as_given_).format(fmt::string_view(text.data(), text.size()), ctx);
  }

  // The text of print(f) with every break a space.
  template <class Print>
  [[nodiscard]] static std::string one_line(Print&& print) {
    formatter f(formatter::unlimited_margin);
    print(f);
    return f.str();
  }

 private:
  fmt::formatter<fmt::string_view> as_given_;
  fmt::formatter<fmt::string_view> plain_;  // as_given_ without the type '?'
  bool debug_ = false;
};

// A value that a map writes with "{}".
template <class V>
concept fmt_formattable = fmt::is_formattable<V>::value;

}  // namespace corso::detail

template <corso::path_syntax S>
struct fmt::formatter<corso::basic_path<S>> : corso::detail::fmt_text_formatter {
  template <class FormatContext>
  auto format(const corso::basic_path<S>& p, FormatContext& ctx) const -> decltype(ctx.out()) {
    if (!debug()) return write(p.view(), ctx);
    return write(one_line([&](corso::formatter& f) { corso::dump(f, p); }), ctx);
  }
};

// Sets and maps write their dump, not fmt's list of elements.
template <corso::path_syntax S>
struct fmt::is_range<corso::basic_path_set<S>, char> : std::false_type {};
template <corso::path_syntax S, class V>
struct fmt::is_range<corso::basic_path_map<S, V>, char> : std::false_type {};

template <corso::path_syntax S>
struct fmt::formatter<corso::basic_path_set<S>> : corso::detail::fmt_text_formatter {
  template <class FormatContext>
  auto format(const corso::basic_path_set<S>& s, FormatContext& ctx) const -> decltype(ctx.out()) {
    return write(one_line([&](corso::formatter& f) { s.dump(f); }), ctx);
  }
};

template <corso::path_syntax S, corso::detail::fmt_formattable V>
struct fmt::formatter<corso::basic_path_map<S, V>> : corso::detail::fmt_text_formatter {
  template <class FormatContext>
  auto format(const corso::basic_path_map<S, V>& m, FormatContext& ctx) const -> decltype(ctx.out()) {
    return write(one_line([&](corso::formatter& f) {
                   m.dump(f, [](corso::formatter& g, const V& v) { g.text(fmt::format("{}", v)); });
                 }),
                 ctx);
  }
};
