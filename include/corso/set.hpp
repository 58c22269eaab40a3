// Ordered sets of paths: immutable values, structurally shared. Every member
// that gives a changed set returns a new one in O(log n) and leaves its
// object intact; copying a set is O(1). Elements are ordered by their bytes
// (corso::compare) and never normalized: a/b and a/./b are two elements.
// Any number of threads may read and copy one set at once.
#pragma once

#include <algorithm>
#include <compare>
#include <concepts>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <ostream>
#include <ranges>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "corso/detail/collection.hpp"
#include "corso/detail/tree.hpp"
#include "corso/format.hpp"
#include "corso/path.hpp"
#include "corso/relations.hpp"

namespace corso {

// Thrown by the members that look for an element satisfying a predicate
// when none does (get_first_where, get_last_where).
class not_found : public std::out_of_range {
 public:
  not_found() : std::out_of_range("not found") {}
};

// The default separator of the pp members: a cut, a break that prints nothing.
struct cut_separator {
  void operator()(formatter& f) const { f.cut(); }
};

namespace detail {
// Sorted and without repeats, equal elements keeping their first.
template <class T>
void sort_unique(std::vector<T>& v) {
  std::stable_sort(v.begin(), v.end());
  v.erase(std::unique(v.begin(), v.end()), v.end());
}
}  // namespace detail

// In the examples a, b, c are paths; {a, b} is the set of a and b.
template <path_syntax S>
class basic_path_set : public detail::tree_collection<basic_path_set<S>, basic_path<S>> {
  using base = detail::tree_collection<basic_path_set<S>, basic_path<S>>;
  friend base;  // builds sets from boxes
  template <path_syntax, class>
  friend class basic_path_map;  // builds the set of its keys
  using base::from_boxes;
  using node = detail::tree::node<basic_path<S>>;
  using node_ref = detail::tree::node_ref<basic_path<S>>;
  using box_ref = detail::tree::box_ref<basic_path<S>>;

 public:
  using value_type = basic_path<S>;
  using reference = const value_type&;
  using const_reference = const value_type&;
  using base::back;
  using base::begin;
  using base::end;
  using base::front;
  using base::size;
  using typename base::iterator;
  using typename base::reverse_iterator;
  using typename base::size_type;

  // The result of split.
  struct split_result;

  // ---- Building ----

  // The empty set.
  // e.g. basic_path_set() => {}
  basic_path_set() noexcept = default;

  // The set of p alone.
  // e.g. singleton(a) => {a}
  [[nodiscard]] static basic_path_set singleton(value_type p) { return basic_path_set().add(std::move(p)); }

  // The set of the paths of the range, in O(n log n).
  // e.g. from_range([b, a, b]) => {a, b}
  template <std::ranges::input_range R>
  [[nodiscard]] static basic_path_set from_range(R&& paths) {
    std::vector<value_type> v;
    for (auto&& p : paths) v.emplace_back(std::forward<decltype(p)>(p));
    return from_sorted_paths(std::move(v));
  }

  // The set of the paths of a list (or any range); repeats count once.
  // e.g. of_list({b, a, b}) => {a, b}
  [[nodiscard]] static basic_path_set of_list(std::initializer_list<value_type> paths) { return from_range(paths); }
  template <std::ranges::input_range R>
  [[nodiscard]] static basic_path_set of_list(R&& paths) {
    return from_range(std::forward<R>(paths));
  }

  // ---- Queries ----

  // True when p is an element.
  // e.g. {a, b}.contains(a) => true, {a, b}.contains(a/) => false
  [[nodiscard]] bool contains(const value_type& p) const noexcept {
    return detail::tree::find(this->root_.get(), p.view()) != nullptr;
  }

  // The elements in increasing order.
  // e.g. {b, a}.elements() => [a, b]
  [[nodiscard]] std::vector<value_type> elements() const { return {begin(), end()}; }

  // Some element (the least), or nothing.
  // e.g. {b, a}.some() => a
  [[nodiscard]] std::optional<value_type> some() const { return min_elt(); }

  // The elements less than p, whether p is in the set, the elements greater.
  // e.g. {a, b, c}.split(b) => ({a}, true, {c})
  [[nodiscard]] split_result split(const value_type& p) const;

  // The element equal to p, or nothing.
  // e.g. {a}.lookup(a) => a, {a}.lookup(a/) => nothing
  [[nodiscard]] std::optional<value_type> lookup(const value_type& p) const {
    return optional_of(detail::tree::find(this->root_.get(), p.view()));
  }

  // The least element satisfying pred, a predicate false then true along
  // the order (such as [&](auto& p) { return p >= q; }); throws not_found.
  // e.g. {a, b, c}.get_first_where(p >= bb) => c
  template <class Pred>
  [[nodiscard]] const value_type& get_first_where(Pred&& pred) const {
    return value_or_not_found(detail::tree::find_monotone(this->root_.get(), pred, true));
  }

  // The same as get_first_where, or nothing.
  // e.g. {a}.first_where(p >= b) => nothing
  template <class Pred>
  [[nodiscard]] std::optional<value_type> first_where(Pred&& pred) const {
    return optional_of(detail::tree::find_monotone(this->root_.get(), pred, true));
  }

  // The greatest element satisfying pred, a predicate true then false
  // along the order; throws not_found.
  // e.g. {a, b, c}.get_last_where(p <= bb) => b
  template <class Pred>
  [[nodiscard]] const value_type& get_last_where(Pred&& pred) const {
    return value_or_not_found(detail::tree::find_monotone(this->root_.get(), pred, false));
  }

  // The same as get_last_where, or nothing.
  // e.g. {b}.last_where(p <= a) => nothing
  template <class Pred>
  [[nodiscard]] std::optional<value_type> last_where(Pred&& pred) const {
    return optional_of(detail::tree::find_monotone(this->root_.get(), pred, false));
  }

  // The elements not less than p, in increasing order, as a range that
  // keeps the set alive.
  // e.g. {a, b, c}.ascending_from(bb) => c
  [[nodiscard]] auto ascending_from(const value_type& p) const {
    return detail::collection_view(*this, iterator::lower_bound(this->root_.get(), p.view()), end());
  }

  // True when no element is in both sets.
  // e.g. {a}.disjoint({b}) => true, {a}.disjoint({a, b}) => false
  [[nodiscard]] bool disjoint(const basic_path_set& other) const noexcept {
    const basic_path_set& small = size() <= other.size() ? *this : other;
    const basic_path_set& large = size() <= other.size() ? other : *this;
    return std::none_of(small.begin(), small.end(), [&large](const value_type& p) { return large.contains(p); });
  }

  // The order of sets: their elements in increasing order compared one
  // after the other, as -1, 0 or 1; also <=>.
  // e.g. compare({a}, {a, b}) => -1, compare({b}, {a, c}) => 1
  [[nodiscard]] friend int compare(const basic_path_set& a, const basic_path_set& b) noexcept {
    const auto c = a <=> b;
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  friend std::strong_ordering operator<=>(const basic_path_set& a, const basic_path_set& b) noexcept {
    if (a.root_ == b.root_) return std::strong_ordering::equal;
    // std::lexicographical_compare_three_way, which libc++ 14 lacks.
    auto i = a.begin(), j = b.begin();
    for (; i != a.end() && j != b.end(); ++i, ++j) {
      if (const auto c = *i <=> *j; c != 0) return c;
    }
    return i != a.end() ? std::strong_ordering::greater
                        : (j != b.end() ? std::strong_ordering::less : std::strong_ordering::equal);
  }

  // True when both sets have the same elements.
  // e.g. {a, b} == of_list({b, a}) => true
  friend bool operator==(const basic_path_set& a, const basic_path_set& b) noexcept {
    return a.root_ == b.root_ || (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin()));
  }

  // True when every element of this set is in other.
  // e.g. {a}.subset_of({a, b}) => true
  [[nodiscard]] bool subset_of(const basic_path_set& other) const noexcept {
    return size() <= other.size() && all_of([&other](const value_type& p) { return other.contains(p); });
  }

  // ---- Edits ----

  // The set with p added; *this (shared, nothing built) when p is in it.
  // On an rvalue whose nodes no other set shares, the nodes change in place:
  // s = std::move(s).add(p) builds one node where s.add(p) builds a path.
  // e.g. {a}.add(b) => {a, b}, {a}.add(a) => {a}
  template <class P>
  requires std::same_as<std::remove_cvref_t<P>, value_type>
  [[nodiscard]] basic_path_set add(P&& p) const& {
    auto make_box = [&p] { return box_ref(new detail::tree::box<value_type>(std::forward<P>(p))); };
    return basic_path_set(detail::tree::insert(this->root_, p.view(), make_box, true));
  }
  template <class P>
  requires std::same_as<std::remove_cvref_t<P>, value_type>
  [[nodiscard]] basic_path_set add(P&& p) && {
    auto make_box = [&p] { return box_ref(new detail::tree::box<value_type>(std::forward<P>(p))); };
    return basic_path_set(detail::tree::insert_owned(std::move(this->root_), p.view(), make_box, true));
  }

  // The set without p; *this when p is not in it.
  // e.g. {a, b}.remove(a) => {b}
  [[nodiscard]] basic_path_set remove(const value_type& p) const {
    return basic_path_set(detail::tree::remove(this->root_, p.view()));
  }

  // The set with every path of the range added.
  // e.g. {a}.add_range([c, b]) => {a, b, c}
  template <std::ranges::input_range R>
  [[nodiscard]] basic_path_set add_range(R&& paths) const {
    return union_with(from_range(std::forward<R>(paths)));
  }

  // ---- Whole-set operations ----

  // The elements of either set, in O(m log(n/m + 1)) for sizes m <= n;
  // subtrees only one set holds are shared.
  // e.g. {a, b}.union_with({b, c}) => {a, b, c}
  [[nodiscard]] basic_path_set union_with(const basic_path_set& other) const {
    auto keep_ours = [](const box_ref& ours, const box_ref&) { return ours; };
    return basic_path_set(
        detail::tree::unite(this->root_, other.root_, keep_ours, detail::tree::shared_subtrees::are_their_union));
  }

  // The elements of both sets.
  // e.g. {a, b}.intersection({b, c}) => {b}
  [[nodiscard]] basic_path_set intersection(const basic_path_set& other) const {
    return basic_path_set(detail::tree::intersect(this->root_, other.root_));
  }

  // The elements of this set that are not in other.
  // e.g. {a, b}.difference({b, c}) => {a}
  [[nodiscard]] basic_path_set difference(const basic_path_set& other) const {
    return basic_path_set(detail::tree::subtract(this->root_, other.root_));
  }

  // Calls f(p) on every element, in increasing order.
  // e.g. {b, a}.for_each(f) calls f(a), then f(b)
  template <class F>
  void for_each(F&& f) const {
    detail::tree::for_each_node(this->root_.get(), [&f](const node& n) { f(n.element->value); });
  }

  // The set of f(p) for every element p; f: path -> path.
  // e.g. {a/b, a/c}.map(parent) => {a/}
  template <class F>
  [[nodiscard]] basic_path_set map(F&& f) const {
    std::vector<value_type> out;
    out.reserve(size());
    for_each([&](const value_type& p) { out.push_back(f(p)); });
    return from_sorted_paths(std::move(out));
  }

  // f(...f(f(acc, p1), p2)..., pn) over the elements in increasing order.
  // e.g. {a, b}.fold(f, x) => f(f(x, a), b)
  template <class F, class A>
  [[nodiscard]] A fold(F&& f, A acc) const {
    for_each([&](const value_type& p) { acc = f(std::move(acc), p); });
    return acc;
  }

  // True when pred(p) holds for every element (and for the empty set).
  // e.g. {}.all_of(pred) => true
  template <class Pred>
  [[nodiscard]] bool all_of(Pred&& pred) const {
    return std::all_of(begin(), end(), pred);
  }

  // True when pred(p) holds for some element.
  // e.g. {}.any_of(pred) => false
  template <class Pred>
  [[nodiscard]] bool any_of(Pred&& pred) const {
    return std::any_of(begin(), end(), pred);
  }

  // The elements that satisfy pred; their boxes are shared.
  // e.g. {a.c, b.h}.filter(has .c) => {a.c}
  template <class Pred>
  [[nodiscard]] basic_path_set filter(Pred&& pred) const {
    std::vector<box_ref> kept;
    detail::tree::for_each_node(this->root_.get(), [&](const node& n) {
      if (pred(n.element->value)) kept.push_back(n.element);
    });
    return from_boxes(kept);
  }

  // The set of the present results of f: path -> std::optional<path>.
  // e.g. {a/x, b}.filter_map([](auto& p) { return rem_prefix(a, p); }) => {x}
  template <class F>
  [[nodiscard]] basic_path_set filter_map(F&& f) const {
    std::vector<value_type> out;
    for_each([&](const value_type& p) {
      if (std::optional<value_type> q = f(p)) out.push_back(std::move(*q));
    });
    return from_sorted_paths(std::move(out));
  }

  // (the elements that satisfy pred, the others).
  // e.g. {a.c, b.h}.partition(has .c) => ({a.c}, {b.h})
  template <class Pred>
  [[nodiscard]] std::pair<basic_path_set, basic_path_set> partition(Pred&& pred) const {
    std::vector<box_ref> yes;
    std::vector<box_ref> no;
    detail::tree::for_each_node(this->root_.get(),
                                [&](const node& n) { (pred(n.element->value) ? yes : no).push_back(n.element); });
    return {from_boxes(yes), from_boxes(no)};
  }

  // ---- Printing ----

  // Prints every element with pp_elt(f, p), in increasing order, with
  // separator(f) between them (a cut by default); nothing else, no box.
  // e.g. {a, b}.pp(f, pp) prints ab; with a separator printing ", ", a, b
  template <class Printer, class Separator = cut_separator>
  void pp(formatter& f, Printer&& pp_elt, Separator&& separator = {}) const {
    bool first = true;
    for_each([&](const value_type& p) {
      if (!first) separator(f);
      first = false;
      pp_elt(f, p);
    });
  }

  // Prints {"a" "b"}: the dumps of the elements in a box indented by one,
  // breakable spaces between them.
  void dump(formatter& f) const {
    f.open_box(1).text("{");
    pp(
        f, [](formatter& g, const value_type& p) { corso::dump(g, p); }, [](formatter& g) { g.space(); });
    f.text("}").close_box();
  }

  // ---- Aliases, under the names other libraries give them ----

  // The least element, or nothing.
  // e.g. {b, a}.min_elt() => a, {}.min_elt() => nothing
  [[nodiscard]] std::optional<value_type> min_elt() const {
    return optional_of(detail::tree::min_node(this->root_.get()));
  }

  // The least element; throws std::invalid_argument "empty set".
  // e.g. {b, a}.get_min_elt() => a
  [[nodiscard]] const value_type& get_min_elt() const {
    return value_or_empty(detail::tree::min_node(this->root_.get()));
  }

  // The greatest element, or nothing.
  // e.g. {b, a}.max_elt() => b
  [[nodiscard]] std::optional<value_type> max_elt() const {
    return optional_of(detail::tree::max_node(this->root_.get()));
  }

  // The greatest element; throws std::invalid_argument "empty set".
  // e.g. {b, a}.get_max_elt() => b
  [[nodiscard]] const value_type& get_max_elt() const {
    return value_or_empty(detail::tree::max_node(this->root_.get()));
  }

  // Some element (the least), or nothing.
  // e.g. {b, a}.choose() => a
  [[nodiscard]] std::optional<value_type> choose() const { return min_elt(); }

  // Some element (the least, by the lookup of get_min_elt); throws
  // std::invalid_argument "empty set".
  // e.g. {b, a}.get_any_elt() => a
  [[nodiscard]] const value_type& get_any_elt() const { return get_min_elt(); }

  // The position of the element equal to p, or end(), as in std::set; the
  // element itself, or nothing, is lookup(p).
  // e.g. *{a}.find(a) => a, {a}.find(b) => end()
  [[nodiscard]] iterator find(const value_type& p) const noexcept { return this->find_iterator(p.view()); }

  // The element equal to p; throws std::invalid_argument
  // "\"z\" not in set {\"a\" \"b\"}" when there is none.
  [[nodiscard]] const value_type& get(const value_type& p) const {
    if (const node* n = detail::tree::find(this->root_.get(), p.view())) return n->element->value;
    throw std::invalid_argument(print_to_string([&](formatter& f) {
      corso::dump(f, p);
      f.text(" not in set ");
      dump(f);
    }));
  }

 private:
  static constexpr const char* empty_message = "empty set";
  explicit basic_path_set(node_ref root) noexcept : base(std::move(root)) {}

  static std::optional<value_type> optional_of(const node* n) {
    return n == nullptr ? std::nullopt : std::optional<value_type>(n->element->value);
  }
  static const value_type& value_or_empty(const node* n) {
    if (n == nullptr) throw std::invalid_argument("empty set");
    return n->element->value;
  }
  static const value_type& value_or_not_found(const node* n) {
    if (n == nullptr) throw not_found();
    return n->element->value;
  }
  static basic_path_set from_sorted_paths(std::vector<value_type>&& paths) {
    detail::sort_unique(paths);
    std::vector<box_ref> boxes;
    boxes.reserve(paths.size());
    for (value_type& p : paths) boxes.emplace_back(new detail::tree::box<value_type>(std::move(p)));
    return from_boxes(boxes);
  }
};

template <path_syntax S>
struct basic_path_set<S>::split_result {
  basic_path_set less;
  bool present = false;
  basic_path_set greater;
};

template <path_syntax S>
auto basic_path_set<S>::split(const value_type& p) const -> split_result {
  auto s = detail::tree::split(this->root_, p.view());
  return {basic_path_set(std::move(s.less)), static_cast<bool>(s.found), basic_path_set(std::move(s.greater))};
}

using posix_path_set = basic_path_set<posix_syntax>;
using windows_path_set = basic_path_set<windows_syntax>;
using path_set = basic_path_set<host_syntax>;

// Prints s as s.dump(f) does; a printer for sets inside other printers.
template <path_syntax S>
void dump(formatter& f, const basic_path_set<S>& s) {
  s.dump(f);
}

// Writes s.dump on one line however long, as a log line wants it; pp, dump
// and a corso::formatter keep their margin.
template <path_syntax S>
std::ostream& operator<<(std::ostream& os, const basic_path_set<S>& s) {
  formatter f(os, formatter::unlimited_margin);
  s.dump(f);
  return os;
}

}  // namespace corso
