#include "corso/format.hpp"

#include <algorithm>
#include <ostream>
#include <utility>

namespace corso {

formatter::formatter(std::ostream& os, int margin)
    : os_(&os), margin_(std::max(margin, 1)), max_indent_(std::max(margin_ - 10, margin_ / 2)) {}

formatter::formatter(int margin)
    : os_(nullptr), margin_(std::max(margin, 1)), max_indent_(std::max(margin_ - 10, margin_ / 2)) {}

formatter::~formatter() {
  try {
    flush();
  } catch (...) {  // a destructor does not throw; a stream in error keeps its state
  }
}

formatter& formatter::open_box(int indent) {
  pending_.push_back({kind::open, std::max(indent, 0), 0, depth_, 0});
  ++depth_;
  return *this;
}

formatter& formatter::close_box() {
  if (depth_ == 0) return *this;
  --depth_;
  pending_.push_back({kind::close, 0, 0, depth_, 0});
  return *this;
}

formatter& formatter::text(std::string_view s) {
  if (s.empty()) return *this;
  pending_.push_back(
      {kind::text, static_cast<int>(std::min<std::size_t>(s.size(), 1u << 30)), 0, depth_, text_.size()});
  text_.append(s);
  return *this;
}

formatter& formatter::brk(int spaces, int offset) {
  pending_.push_back({kind::brk, std::max(spaces, 0), offset, depth_, 0});
  return *this;
}

void formatter::write(std::string_view s) {
  if (os_ != nullptr) {
    os_->write(s.data(), static_cast<std::streamsize>(s.size()));
  } else {
    out_.append(s);
  }
}

void formatter::flush() {
  // Sizes first, from the end: a break's size is the width of what follows
  // it up to the next break at its depth or shallower (deeper boxes count at
  // their full width). `next` holds the breaks still in view, deepest on top,
  // each with the width from it to the end of the pending tokens.
  std::vector<long long> size(pending_.size(), 0);
  struct seen {
    std::size_t depth;
    long long width_to_end;
  };
  std::vector<seen> next;
  long long width = 0;
  for (std::size_t i = pending_.size(); i-- > 0;) {
    const token& t = pending_[i];
    if (t.k == kind::text) width += t.a;
    if (t.k != kind::brk) continue;
    while (!next.empty() && next.back().depth > t.depth) next.pop_back();
    size[i] = width - (next.empty() ? 0 : next.back().width_to_end);
    width += t.a;
    next.push_back({t.depth, width});
  }

  std::string line_break;
  for (std::size_t i = 0; i < pending_.size(); ++i) {
    const token& t = pending_[i];
    switch (t.k) {
      case kind::open:
        indents_.push_back(std::min(column_ + t.a, max_indent_));
        break;
      case kind::close:
        if (!indents_.empty()) indents_.pop_back();
        break;
      case kind::text: {
        const std::string_view s(text_.data() + t.begin, static_cast<std::size_t>(t.a));
        write(s);
        const std::size_t nl = s.rfind('\n');
        column_ = nl == s.npos ? column_ + t.a : static_cast<int>(s.size() - nl - 1);
        break;
      }
      case kind::brk: {
        const int indent = std::max((indents_.empty() ? 0 : indents_.back()) + t.b, 0);
        // Break only where it helps: the material does not fit, and the new
        // line would start left of where we are.
        if (column_ + t.a + size[i] > margin_ && indent < column_) {
          line_break.assign(1, '\n');
          line_break.append(static_cast<std::size_t>(indent), ' ');
          write(line_break);
          column_ = indent;
        } else {
          write(std::string(static_cast<std::size_t>(t.a), ' '));
          column_ += t.a;
        }
        break;
      }
    }
  }
  pending_.clear();
  text_.clear();
  if (os_ != nullptr) os_->flush();
}

std::string formatter::str() {
  flush();
  return out_;
}

}  // namespace corso
