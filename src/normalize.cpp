// Normalization: "." and ".." resolved by position, volumes and
// directory-ness kept.
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "corso/structure.hpp"
#include "segments.hpp"
#include "volume.hpp"

namespace corso {
namespace detail {
namespace {

// The kept segments, as views on the path or on constants: room for 64 in
// the frame, the heap only for deeper paths.
class seg_stack {
 public:
  seg_stack() = default;
  seg_stack(const seg_stack&) = delete;
  seg_stack& operator=(const seg_stack&) = delete;

  void push(std::string_view s) {
    if (size_ == capacity_) grow();
    data_[size_++] = s;
  }
  void pop() noexcept { --size_; }
  [[nodiscard]] bool empty() const noexcept { return size_ == 0; }
  [[nodiscard]] std::size_t size() const noexcept { return size_; }
  [[nodiscard]] std::string_view top() const noexcept { return data_[size_ - 1]; }
  [[nodiscard]] std::string_view operator[](std::size_t i) const noexcept { return data_[i]; }

 private:
  void grow() {
    std::vector<std::string_view> bigger(capacity_ * 2);
    std::copy(data_, data_ + size_, bigger.begin());
    heap_ = std::move(bigger);
    data_ = heap_.data();
    capacity_ = heap_.size();
  }

  std::array<std::string_view, 64> local_{};
  std::vector<std::string_view> heap_;
  std::string_view* data_ = local_.data();
  std::size_t size_ = 0;
  std::size_t capacity_ = local_.size();
};

// True when some segment of v is "." or "..": only then can normalization
// change anything.
template <char Sep>
bool has_rel_seg(std::string_view v) noexcept {
  bool found = false;
  for_each_seg<Sep>(v, [&found](std::string_view seg) { found = found || sub_is_rel_seg(seg); });
  return found;
}

// One pass over the segments of v: a ".." cancels the named segment under it,
// "." goes; a last "." or ".." leaves an empty segment, so that the result is a
// directory path exactly when v is one. Leading ".." that cancel nothing stay.
template <char Sep>
void normalize_rel_segs(std::string_view v, seg_stack& st) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = v.find(Sep, start);
    const bool last = end == v.npos;
    const std::string_view seg = v.substr(start, last ? v.npos : end - start);
    if (seg == "..") {
      if (st.empty() || st.top() == "..") {
        st.push(seg);
      } else {
        st.pop();
        if (last) {
          st.push({});
          return;
        }
      }
    } else if (seg == ".") {
      if (last) {
        st.push({});
        return;
      }
    } else {
      st.push(seg);
    }
    if (last) break;
    start = end + 1;
  }
  if (st.empty() || st.top() == "..") st.push({});
}

// The normalized form of v, written after `prefix`: an absolute v loses the
// ".." that would climb above its root, a relative v that cancels out is "./".
template <path_syntax S>
std::string normalize_segs(std::string_view prefix, std::string_view v) {
  constexpr char sep = S::dir_sep_char;
  const bool absolute = v[0] == sep;
  seg_stack st;
  normalize_rel_segs<sep>(absolute ? v.substr(1) : v, st);
  std::size_t first = 0;
  if (absolute) {
    while (st[first] == "..") ++first;  // the top is never "..", so this stops
  } else if (st.size() == 1 && st[0].empty()) {
    st.pop();
    st.push(".");
    st.push({});
  }
  std::size_t n = prefix.size() + (absolute ? 1 : 0) + (st.size() - first - 1);
  for (std::size_t i = first; i < st.size(); ++i) n += st[i].size();
  std::string out;
  out.reserve(n);
  out.append(prefix);
  if (absolute) out.push_back(sep);
  for (std::size_t i = first; i < st.size(); ++i) {
    if (i != first) out.push_back(sep);
    out.append(st[i]);
  }
  return out;
}

// The normal form of rest written after the volume, or nothing when rest has
// no "." or ".." segment and the path is its own normal form.
template <path_syntax S>
std::optional<std::string> normalize_rest(std::string_view volume, std::string_view rest) {
  if (!has_rel_seg<S::dir_sep_char>(rest)) return std::nullopt;
  return normalize_segs<S>(volume, rest);
}

// The "//" volume is set aside so that the rest reads like a path with one
// leading separator.
std::optional<std::string> normalize_posix(std::string_view p) {
  const bool volume = posix_volume::has_volume(p);
  return normalize_rest<posix_syntax>(p.substr(0, volume ? 1 : 0), p.substr(volume ? 1 : 0));
}

std::optional<std::string> normalize_windows(std::string_view p) {
  const volume_split v = windows_volume::sub_split_volume(p);
  return normalize_rest<windows_syntax>(v.volume, v.rest);
}

template <path_syntax S>
std::optional<std::string> normalize_of(std::string_view p) {
  if constexpr (S::is_windows) {
    return normalize_windows(p);
  } else {
    return normalize_posix(p);
  }
}

}  // namespace
}  // namespace detail

template <path_syntax S>
basic_path<S> normalize(const basic_path<S>& p) {
  std::optional<std::string> n = detail::normalize_of<S>(p.view());
  return n ? detail::path_access::make<S>(std::move(*n)) : p;
}

template <path_syntax S>
basic_path<S> normalize(basic_path<S>&& p) {
  std::optional<std::string> n = detail::normalize_of<S>(p.view());
  return n ? detail::path_access::make<S>(std::move(*n)) : std::move(p);
}

template basic_path<posix_syntax> normalize(const basic_path<posix_syntax>&);
template basic_path<posix_syntax> normalize(basic_path<posix_syntax>&&);
template basic_path<windows_syntax> normalize(const basic_path<windows_syntax>&);
template basic_path<windows_syntax> normalize(basic_path<windows_syntax>&&);

}  // namespace corso
