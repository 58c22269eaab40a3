// A small box-and-break pretty-printer. Text is laid out within a right
// margin: a break prints its spaces when the material up to the next break
// of its box (or of an enclosing one) fits on the line, and otherwise starts
// a new line at the indentation of its box. A printer is any callable
// void(formatter&, const T&).
#pragma once

#include <cstddef>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "corso/export.hpp"

namespace corso {

class CORSO_API formatter {
 public:
  static constexpr int default_margin = 78;
  // A margin no line reaches: every break prints its spaces, and the
  // output is on one line unless its text holds a new line.
  static constexpr int unlimited_margin = std::numeric_limits<int>::max();

  // Prints into os. Output is laid out and written by flush(), and by the
  // destructor for what is left.
  explicit formatter(std::ostream& os, int margin = default_margin);
  // Prints into a string of its own, read with str().
  explicit formatter(int margin = default_margin);
  formatter(const formatter&) = delete;
  formatter& operator=(const formatter&) = delete;
  ~formatter();

  // Opens a box whose continuation lines are indented `indent` columns past
  // the column where it opens.
  formatter& open_box(int indent = 0);
  // Closes the innermost open box; nothing when none is open.
  formatter& close_box();
  // Prints s as it stands; it is never broken.
  formatter& text(std::string_view s);
  // A breakable space: one space, or a new line.
  formatter& space() { return brk(1, 0); }
  // A breakable nothing: nothing, or a new line.
  formatter& cut() { return brk(0, 0); }
  // A break of `spaces` spaces, or a new line indented `offset` columns past
  // the box's indentation.
  formatter& brk(int spaces, int offset);

  // Lays out and writes everything printed so far.
  void flush();
  // In string mode, everything printed so far, laid out.
  [[nodiscard]] std::string str();
  [[nodiscard]] int margin() const noexcept { return margin_; }

 private:
  enum class kind : unsigned char { text, brk, open, close };
  struct token {
    kind k;
    int a;              // text: length; brk: spaces; open: indent
    int b;              // brk: offset
    std::size_t depth;  // brk: boxes open around it
    std::size_t begin;  // text: start in text_
  };

  void write(std::string_view s);

  std::ostream* os_;
  std::string out_;  // string mode: the laid-out output
  int margin_;
  int max_indent_;
  std::vector<token> pending_;
  std::string text_;          // the bytes of pending text tokens
  std::size_t depth_ = 0;     // boxes open, as printed
  int column_ = 0;            // layout: column of the next byte
  std::vector<int> indents_;  // layout: indentation of each open box
};

// The output of print(f) on a fresh formatter in string mode at the default
// margin: print_to_string([&](formatter& f) { f.text("a").space().text("b"); }) => "a b".
template <class Print>
[[nodiscard]] std::string print_to_string(Print&& print) {
  formatter f;
  print(f);
  return f.str();
}

}  // namespace corso
