// Helpers shared by the tests.
#pragma once

#include <corso/corso.hpp>

#include "strings.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <concepts>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace corso::test {

template <path_syntax S>
basic_path<S> P(std::string_view s) {
  return basic_path<S>::v(s);
}

inline posix_path px(std::string_view s) { return posix_path::v(s); }
inline windows_path wn(std::string_view s) { return windows_path::v(s); }

// A random string of up to `max` bytes drawn from `alphabet`, copied into a
// heap buffer of exactly its size, so that AddressSanitizer catches a read
// one past its end. view() is the copy.
class exact_random_bytes {
 public:
  exact_random_bytes(std::mt19937& rng, std::size_t max, std::string_view alphabet)
      : text_(rng() % max, ' '), heap_(new char[text_.size()]) {
    for (char& c : text_) c = alphabet[rng() % alphabet.size()];
    std::copy(text_.begin(), text_.end(), heap_.get());
  }
  [[nodiscard]] std::string_view view() const noexcept { return {heap_.get(), text_.size()}; }
  [[nodiscard]] const std::string& text() const noexcept { return text_; }

 private:
  std::string text_;
  std::unique_ptr<char[]> heap_;
};

// The bytes of an optional path, or "-" for none: a table's expected column.
inline std::string shown(const auto& opt) { return opt ? opt->to_string() : "-"; }

// The one table runner. A row is a struct of inputs and expected answers.
//
// A row that means something under both syntaxes is checked under both: it
// is written with '/', and its Windows run reads every '/' of its answers as
// '\' (parsing does the same for the inputs); a row for one syntax is
// written as that syntax prints. An answer that differs between
// the syntaxes is written as the pair {posix, windows}. A row whose input
// means something under one syntax only says so in its last column, `only`.
enum class syntaxes { both, posix, windows };
inline constexpr syntaxes posix_only = syntaxes::posix;
inline constexpr syntaxes windows_only = syntaxes::windows;

class answer {
 public:
  answer(const char* both) : posix_(both) {}  // NOLINT: rows write a plain string
  answer(const char* posix, const char* windows) : posix_(posix), windows_(windows) {}

  // The answer under a syntax; `translate` for the Windows run of a row
  // written with '/' for both.
  [[nodiscard]] std::string under(bool windows, bool translate) const {
    if (!windows) return posix_;
    if (windows_) return windows_;
    std::string s(posix_);
    if (translate) std::replace(s.begin(), s.end(), '/', '\\');
    return s;
  }

 private:
  const char* posix_;
  const char* windows_ = nullptr;
};

// What a check sees of the syntax it runs under: how to read an input and
// what a written answer says under this syntax.
template <path_syntax S>
struct under {
  using syntax = S;
  bool row_for_both = true;
  static basic_path<S> path(std::string_view text) { return basic_path<S>::v(text); }
  [[nodiscard]] std::string want(const answer& a) const { return a.under(S::is_windows, row_for_both); }
};

// "row 3: a b": where a failure came from. Rows name their input `in` or
// `p`, or their two paths `a` and `b`.
template <class Row>
std::string row_label(std::string_view syntax, std::size_t i, const Row& row) {
  std::string s = std::string(syntax) + "row " + std::to_string(i + 1);
  if constexpr (requires { row.in; }) s += ": " + ::testing::PrintToString(row.in);
  if constexpr (requires { row.p; }) s += ": " + ::testing::PrintToString(row.p);
  if constexpr (requires {
                  row.a;
                  row.b;
                })
    s += ": " + ::testing::PrintToString(row.a) + " " + ::testing::PrintToString(row.b);
  return s;
}

// Runs check(row) on every row, or check(under<S>{}, row) under each syntax
// the row is for.
template <class Row, std::size_t N, class Check>
void for_each_row(const Row (&rows)[N], Check check) {
  for (std::size_t i = 0; i < N; ++i) {
    const Row& row = rows[i];
    if constexpr (std::invocable<Check&, const Row&>) {
      SCOPED_TRACE(row_label("", i, row));
      check(row);
    } else {
      syntaxes only = syntaxes::both;
      if constexpr (requires { row.only; }) only = row.only;
      if (only != syntaxes::windows) {
        SCOPED_TRACE(row_label("POSIX ", i, row));
        check(under<posix_syntax>{only == syntaxes::both}, row);
      }
      if (only != syntaxes::posix) {
        SCOPED_TRACE(row_label("Windows ", i, row));
        check(under<windows_syntax>{only == syntaxes::both}, row);
      }
    }
  }
}

// A pattern, a path, and whether the one matches the other, through both
// the compiled pattern and corso::matches.
struct match_row {
  const char* a;  // the pattern
  std::string b;  // the path
  bool out;
  syntaxes only = syntaxes::both;
};

inline void check_match_rows(const auto& rows, pattern_options options = {}) {
  for_each_row(rows, [&](auto s, const match_row& row) {
    using S = typename decltype(s)::syntax;
    EXPECT_EQ(basic_pattern<S>::v(row.a, options).matches(s.path(row.b)), row.out);
    EXPECT_EQ(matches(row.a, s.path(row.b), options), row.out);
  });
}

// True when s parses under S to exactly s: the invariants of a path hold.
template <path_syntax S>
bool is_valid_path(std::string_view s) {
  const auto r = basic_path<S>::of_string(s);
  return r && r->view() == s;
}

// normalize(p) as relativization reads it: without the "." that a Windows
// normal form keeps in front of a \??\ that p did not begin with, which is
// no segment that relativization compares.
template <path_syntax S>
basic_path<S> normal_segs_form(const basic_path<S>& p) {
  const basic_path<S> n = normalize(p);
  if (!S::is_windows || !n.view().starts_with(R"(\.\??\)")) return n;
  return basic_path<S>::v(std::string(n.view()).erase(1, 2));
}

// The message of the exception E that f throws, or "no exception".
template <class E, class F>
std::string exception_message(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "no exception";
}
template <class F>
std::string invalid_argument_message(F&& f) {
  return exception_message<std::invalid_argument>(std::forward<F>(f));
}

// Random paths in the shape of real ones, with the pieces that stress
// normalization and parsing: ".", "..", empty segments, volumes, ':'.
class path_generator {
 public:
  explicit path_generator(unsigned seed) : rng_(seed) {}

  std::string posix() {
    static const char* const starts[] = {"", "", "", "/", "/", "//", "./", "../"};
    std::string s = starts[pick(8)];
    add_segments(s, '/');
    return s;
  }

  std::string windows() {
    static const char* const starts[] = {"",          "",         R"(\)",           "C:",         R"(C:\)",
                                         "ab:",       R"(\\s\h)", R"(\\s\h\)",      R"(\\?\C:\)", R"(\\?\UNC\s\h\)",
                                         R"(\\.\d\)", R"(.\)",    R"(\\.\UNC\s\h\)"};
    std::string s = starts[pick(std::size(starts))];
    add_segments(s, pick(4) == 0 ? '/' : '\\');
    if (s.empty() || s.back() == ':') s += 'x';
    return s;
  }

 private:
  std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

  void add_segments(std::string& s, char sep) {
    static const char* const names[] = {".",  "..",  "a",   "b",   "c", "",   "...",
                                        ".x", "d.e", "f:g", "UNC", "?", "??", "\\"};
    const std::size_t n = pick(7);
    for (std::size_t i = 0; i < n; ++i) {
      if (!s.empty() && s.back() != sep) s += sep;
      s += names[pick(std::size(names) - (sep == '/' ? 0 : 1))];  // a backslash is a name under POSIX only
    }
    if (pick(3) == 0) s += sep;
    if (s.empty()) s = names[pick(5)];
    if (s.empty()) s = "a";
  }

  std::mt19937 rng_;
};

}  // namespace corso::test
