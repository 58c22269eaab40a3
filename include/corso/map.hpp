// Ordered maps keyed by paths: immutable values, structurally shared, like
// path sets. Every member that gives a changed map returns a new one in
// O(log n) and leaves its object intact; copying a map is O(1), and neither
// keys nor values are copied when nodes are rebuilt. Keys are ordered by
// their bytes (corso::compare). Any number of threads may read and copy one
// map at once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <ostream>
#include <ranges>
#include <sstream>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "corso/detail/tree.hpp"
#include "corso/format.hpp"
#include "corso/path.hpp"
#include "corso/relations.hpp"
#include "corso/set.hpp"

namespace corso {

// In the examples a, b, c are paths; {a: 1, b: 2} binds a to 1 and b to 2.
template <path_syntax S, class V>
class basic_path_map : public detail::tree_collection<basic_path_map<S, V>, std::pair<const basic_path<S>, V>> {
  using base = detail::tree_collection<basic_path_map<S, V>, std::pair<const basic_path<S>, V>>;
  friend base;  // builds maps from boxes
  template <path_syntax, class>
  friend class basic_path_map;
  using base::from_boxes;

 public:
  using key_type = basic_path<S>;
  using mapped_type = V;
  using value_type = std::pair<const key_type, V>;  // a binding
  using binding = std::pair<key_type, V>;           // a binding handed out by value
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

 private:
  using node = detail::tree::node<value_type>;
  using node_ref = detail::tree::node_ref<value_type>;
  using box = detail::tree::box<value_type>;
  using box_ref = detail::tree::box_ref<value_type>;

 public:
  // ---- Building ----

  // The empty map.
  // e.g. basic_path_map() => {}
  basic_path_map() noexcept = default;

  // The map of k bound to v alone.
  // e.g. singleton(a, 1) => {a: 1}
  [[nodiscard]] static basic_path_map singleton(key_type k, V v) {
    return basic_path_map().add(std::move(k), std::move(v));
  }

  // The map of the (key, value) pairs of the range; for a key given more
  // than once, the last pair wins. O(n log n).
  // e.g. from_range([(a, 1), (a, 2)]) => {a: 2}
  template <std::ranges::input_range R>
  [[nodiscard]] static basic_path_map from_range(R&& pairs) {
    std::vector<binding> v;
    for (auto&& [k, x] : pairs) v.emplace_back(k, x);
    // Stable, so that of the pairs with one key the last is the last of its run.
    std::stable_sort(v.begin(), v.end(), [](const binding& a, const binding& b) { return a.first < b.first; });
    std::vector<box_ref> boxes;
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (i + 1 < v.size() && v[i + 1].first == v[i].first) continue;
      boxes.emplace_back(new box(std::move(v[i].first), std::move(v[i].second)));
    }
    return from_boxes(boxes);
  }

  // The map of the (key, value) pairs of a list (or any range); for a key
  // given more than once, the last pair wins.
  // e.g. of_list({(b, 1), (a, 2), (a, 3)}) => {a: 3, b: 1}
  [[nodiscard]] static basic_path_map of_list(std::initializer_list<binding> pairs) { return from_range(pairs); }
  template <std::ranges::input_range R>
  [[nodiscard]] static basic_path_map of_list(R&& pairs) {
    return from_range(std::forward<R>(pairs));
  }

  // ---- Queries ----

  // True when k is bound.
  // e.g. {a: 1}.contains(a) => true
  [[nodiscard]] bool contains(const key_type& k) const noexcept { return find_node(k) != nullptr; }

  // The bindings in increasing key order.
  // e.g. {b: 2, a: 1}.bindings() => [(a, 1), (b, 2)]
  [[nodiscard]] std::vector<binding> bindings() const { return {begin(), end()}; }

  // Some binding (the least), or nothing.
  // e.g. {b: 2, a: 1}.some() => (a, 1)
  [[nodiscard]] std::optional<binding> some() const { return min_binding(); }

  // The bindings of keys less than k, the value of k if bound, the
  // bindings of keys greater than k.
  // e.g. {a: 1, b: 2, c: 3}.split(b) => ({a: 1}, 2, {c: 3})
  [[nodiscard]] split_result split(const key_type& k) const;

  // The value bound to k, or nothing.
  // e.g. {a: 1}.lookup(a) => 1, {a: 1}.lookup(b) => nothing
  [[nodiscard]] std::optional<V> lookup(const key_type& k) const {
    const node* n = find_node(k);
    return n == nullptr ? std::nullopt : std::optional<V>(n->element->value.second);
  }

  // The binding of the least key satisfying pred(k), a predicate false
  // then true along the order; throws not_found.
  // e.g. {a: 1, c: 3}.get_first_where(k >= b) => (c, 3)
  template <class Pred>
  [[nodiscard]] const value_type& get_first_where(Pred&& pred) const {
    return value_or_not_found(monotone(pred, true));
  }

  // The same as get_first_where, or nothing.
  // e.g. {a: 1}.first_where(k >= b) => nothing
  template <class Pred>
  [[nodiscard]] std::optional<binding> first_where(Pred&& pred) const {
    return optional_of(monotone(pred, true));
  }

  // The binding of the greatest key satisfying pred(k), a predicate true
  // then false along the order; throws not_found.
  // e.g. {a: 1, c: 3}.get_last_where(k <= b) => (a, 1)
  template <class Pred>
  [[nodiscard]] const value_type& get_last_where(Pred&& pred) const {
    return value_or_not_found(monotone(pred, false));
  }

  // The same as get_last_where, or nothing.
  // e.g. {c: 3}.last_where(k <= b) => nothing
  template <class Pred>
  [[nodiscard]] std::optional<binding> last_where(Pred&& pred) const {
    return optional_of(monotone(pred, false));
  }

  // The bindings of keys not less than k, in increasing order, as a range
  // that keeps the map alive.
  // e.g. {a: 1, b: 2, c: 3}.ascending_from(b) => (b, 2), (c, 3)
  [[nodiscard]] auto ascending_from(const key_type& k) const {
    return detail::collection_view(*this, iterator::lower_bound(this->root_.get(), k.view()), end());
  }

  // The order of maps: their bindings in increasing key order compared one
  // after the other, keys first, then values with cmp(v, w) (negative, zero,
  // positive); -1, 0 or 1.
  // e.g. compare({a: 1}, {a: 2}, minus) => -1
  template <class Cmp>
  [[nodiscard]] friend int compare(const basic_path_map& a, const basic_path_map& b, Cmp&& cmp) {
    auto x = a.begin();
    auto y = b.begin();
    for (; x != a.end() && y != b.end(); ++x, ++y) {
      if (const int c = corso::compare(x->first, y->first); c != 0) return c;
      if (const int c = cmp(x->second, y->second); c != 0) return c < 0 ? -1 : 1;
    }
    return x == a.end() ? (y == b.end() ? 0 : -1) : 1;
  }

  // True when both maps bind the same keys to values equal by eq(v, w).
  // e.g. equal({a: 1}, {a: 1}, equal_to) => true
  template <class Eq>
  [[nodiscard]] friend bool equal(const basic_path_map& a, const basic_path_map& b, Eq&& eq) {
    if (a.root_ == b.root_) return true;
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&eq](const value_type& x, const value_type& y) {
             return x.first == y.first && eq(x.second, y.second);
           });
  }
  friend bool operator==(const basic_path_map& a, const basic_path_map& b) requires std::equality_comparable<V> {
    return equal(a, b, std::equal_to<>());
  }

  // ---- Edits ----

  // The map with k bound to v; a previous binding of k disappears. On an
  // rvalue whose nodes no other map shares, the nodes change in place:
  // m = std::move(m).add(k, v) builds one node where m.add(k, v) builds a path.
  // e.g. {a: 1}.add(a, 2) => {a: 2}, {a: 1}.add(b, 2) => {a: 1, b: 2}
  [[nodiscard]] basic_path_map add(key_type k, V v) const& {
    auto make_box = [&] { return box_ref(new box(std::move(k), std::move(v))); };
    return basic_path_map(detail::tree::insert(this->root_, k.view(), make_box, false));
  }
  [[nodiscard]] basic_path_map add(key_type k, V v) && {
    auto make_box = [&] { return box_ref(new box(std::move(k), std::move(v))); };
    return basic_path_map(detail::tree::insert_owned(std::move(this->root_), k.view(), make_box, false));
  }

  // The map with k bound to f(current), where f takes a `const V*` (null
  // when k is unbound) and returns std::optional<V>; nothing removes k.
  // e.g. {a: 1}.update(a, [](const int* v) { return std::optional(*v + 1); }) => {a: 2}
  template <class F>
  [[nodiscard]] basic_path_map update(const key_type& k, F&& f) const {
    const node* n = find_node(k);
    std::optional<V> v = f(n == nullptr ? static_cast<const V*>(nullptr) : &n->element->value.second);
    return v ? add(k, std::move(*v)) : remove(k);
  }

  // The map without k; *this when k is not bound.
  // e.g. {a: 1, b: 2}.remove(a) => {b: 2}
  [[nodiscard]] basic_path_map remove(const key_type& k) const {
    return basic_path_map(detail::tree::remove(this->root_, k.view()));
  }

  // The map with every (key, value) pair of the range added in order; a
  // later pair wins.
  // e.g. {a: 1}.add_range([(a, 3), (b, 2)]) => {a: 3, b: 2}
  template <std::ranges::input_range R>
  [[nodiscard]] basic_path_map add_range(R&& pairs) const {
    auto theirs = [](const key_type&, const V&, const V& v) { return std::optional<V>(v); };
    return union_with(from_range(std::forward<R>(pairs)), theirs);
  }

  // ---- Whole-map operations ----

  // The map of f(k, a, b) for every key k of either map, where a and b are
  // `const V*` and `const W*` (null when k is unbound there) and f returns
  // std::optional<R>: a binding of k to R, or none.
  // e.g. {a: 1}.merge({b: 2}, sum of the present values) => {a: 1, b: 2}
  template <class W, class F>
  [[nodiscard]] auto merge(const basic_path_map<S, W>& other, F&& f) const {
    using R = typename std::invoke_result_t<F&, const key_type&, const V*, const W*>::value_type;
    std::vector<typename basic_path_map<S, R>::box_ref> out;
    auto a = begin();
    auto b = other.begin();
    const auto emit = [&](const key_type& k, const V* x, const W* y) {
      if (std::optional<R> r = f(k, x, y)) out.emplace_back(new typename basic_path_map<S, R>::box(k, std::move(*r)));
    };
    while (a != end() || b != other.end()) {
      const int c = a == end() ? 1 : (b == other.end() ? -1 : a->first.view().compare(b->first.view()));
      if (c < 0) {
        emit(a->first, &a->second, nullptr);
        ++a;
      } else if (c > 0) {
        emit(b->first, nullptr, &b->second);
        ++b;
      } else {
        emit(a->first, &a->second, &b->second);
        ++a;
        ++b;
      }
    }
    return basic_path_map<S, R>::from_boxes(out);
  }

  // The bindings of either map; a key bound in both is bound to
  // f(k, ours, theirs) when it gives a value, and dropped when it gives
  // std::nullopt. O(m log(n/m + 1)); subtrees only one map holds are shared.
  // e.g. {a: 1, b: 2}.union_with({b: 3}, keep ours) => {a: 1, b: 2}
  template <class F>
  [[nodiscard]] basic_path_map union_with(const basic_path_map& other, F&& f) const {
    auto pick = [&f](const box_ref& ours, const box_ref& theirs) {
      std::optional<V> v = f(ours->value.first, ours->value.second, theirs->value.second);
      return v ? box_ref(new box(ours->value.first, std::move(*v))) : box_ref();
    };
    return basic_path_map(
        detail::tree::unite(this->root_, other.root_, pick, detail::tree::shared_subtrees::go_through_pick));
  }

  // Calls f(k, v) on every binding, in increasing key order.
  // e.g. {b: 2, a: 1}.for_each(f) calls f(a, 1), then f(b, 2)
  template <class F>
  void for_each(F&& f) const {
    detail::tree::for_each_node(this->root_.get(),
                                [&f](const node& n) { f(n.element->value.first, n.element->value.second); });
  }

  // f(...f(acc, k1, v1)..., kn, vn) over the bindings in increasing key order.
  // e.g. {a: 1, b: 2}.fold(f, x) => f(f(x, a, 1), b, 2)
  template <class F, class A>
  [[nodiscard]] A fold(F&& f, A acc) const {
    for_each([&](const key_type& k, const V& v) { acc = f(std::move(acc), k, v); });
    return acc;
  }

  // True when pred(k, v) holds for every binding.
  // e.g. {a: 1}.all_of(v > 0) => true
  template <class Pred>
  [[nodiscard]] bool all_of(Pred&& pred) const {
    return std::all_of(begin(), end(), [&pred](const value_type& b) { return pred(b.first, b.second); });
  }

  // True when pred(k, v) holds for some binding.
  // e.g. {a: 1}.any_of(v > 1) => false
  template <class Pred>
  [[nodiscard]] bool any_of(Pred&& pred) const {
    return std::any_of(begin(), end(), [&pred](const value_type& b) { return pred(b.first, b.second); });
  }

  // The bindings that satisfy pred(k, v); they are shared, not copied.
  // e.g. {a: 1, b: 2}.filter(v odd) => {a: 1}
  template <class Pred>
  [[nodiscard]] basic_path_map filter(Pred&& pred) const {
    std::vector<box_ref> kept;
    detail::tree::for_each_node(this->root_.get(), [&](const node& n) {
      if (pred(n.element->value.first, n.element->value.second)) kept.push_back(n.element);
    });
    return from_boxes(kept);
  }

  // The map of the present results of f(k, v) -> std::optional<W>.
  // e.g. {a: 1, b: 2}.filter_map(v > 1 ? std::optional(v) : nothing) => {b: 2}
  template <class F>
  [[nodiscard]] auto filter_map(F&& f) const {
    using W = typename std::invoke_result_t<F&, const key_type&, const V&>::value_type;
    std::vector<typename basic_path_map<S, W>::box_ref> out;
    for_each([&](const key_type& k, const V& v) {
      if (std::optional<W> w = f(k, v)) out.emplace_back(new typename basic_path_map<S, W>::box(k, std::move(*w)));
    });
    return basic_path_map<S, W>::from_boxes(out);
  }

  // (the bindings that satisfy pred(k, v), the others).
  // e.g. {a: 1, b: 2}.partition(v odd) => ({a: 1}, {b: 2})
  template <class Pred>
  [[nodiscard]] std::pair<basic_path_map, basic_path_map> partition(Pred&& pred) const {
    std::vector<box_ref> yes;
    std::vector<box_ref> no;
    detail::tree::for_each_node(this->root_.get(), [&](const node& n) {
      (pred(n.element->value.first, n.element->value.second) ? yes : no).push_back(n.element);
    });
    return {from_boxes(yes), from_boxes(no)};
  }

  // The map of every key bound to f(v); the shape of the tree is kept.
  // e.g. {a: 1}.map(v * 2.5) => {a: 2.5}
  template <class F>
  [[nodiscard]] auto map(F&& f) const {
    return map_with_key([&f](const key_type&, const V& v) { return f(v); });
  }

  // The map of every key bound to f(k, v).
  // e.g. {a: 1}.map_with_key(k + v) => {a: "a1"}
  template <class F>
  [[nodiscard]] auto map_with_key(F&& f) const {
    using W = std::decay_t<std::invoke_result_t<F&, const key_type&, const V&>>;
    return basic_path_map<S, W>(map_node<W>(this->root_.get(), f));
  }

  // The set of the bound keys, built in O(n) in the shape of the map.
  // e.g. {a: 1, b: 2}.dom() => {a, b}
  [[nodiscard]] basic_path_set<S> dom() const { return basic_path_set<S>(keys_node(this->root_.get())); }

  // ---- Printing ----

  // Prints every binding with pp_binding(f, binding), in increasing key
  // order, with separator(f) between them (a cut by default); nothing else.
  // e.g. {a: 3, b: 1}.pp(f, key=value) prints a=3b=1
  template <class Printer, class Separator = cut_separator>
  void pp(formatter& f, Printer&& pp_binding, Separator&& separator = {}) const {
    bool first = true;
    detail::tree::for_each_node(this->root_.get(), [&](const node& n) {
      if (!first) separator(f);
      first = false;
      pp_binding(f, n.element->value);
    });
  }

  // Prints {("a", 3) ("b", 1)}: each binding in a box of its own, the key
  // dumped, the value printed by pp_value(f, v).
  template <class Printer>
  void dump(formatter& f, Printer&& pp_value) const {
    f.open_box(1).text("{");
    pp(
        f,
        [&pp_value](formatter& g, const value_type& b) {
          g.open_box(1).text("(").open_box();
          corso::dump(g, b.first);
          g.close_box().text(",").space().open_box();
          pp_value(g, b.second);
          g.close_box().text(")").close_box();
        },
        [](formatter& g) { g.space(); });
    f.text("}").close_box();
  }

  // ---- Aliases, under the names other libraries give them ----

  // The binding of the least key, or nothing.
  // e.g. {b: 2, a: 1}.min_binding() => (a, 1), {}.min_binding() => nothing
  [[nodiscard]] std::optional<binding> min_binding() const {
    return optional_of(detail::tree::min_node(this->root_.get()));
  }

  // The binding of the least key; throws std::invalid_argument "empty map".
  // e.g. {b: 2, a: 1}.get_min_binding() => (a, 1)
  [[nodiscard]] const value_type& get_min_binding() const {
    return value_or_empty(detail::tree::min_node(this->root_.get()));
  }

  // The binding of the greatest key, or nothing.
  // e.g. {b: 2, a: 1}.max_binding() => (b, 2)
  [[nodiscard]] std::optional<binding> max_binding() const {
    return optional_of(detail::tree::max_node(this->root_.get()));
  }

  // The binding of the greatest key; throws std::invalid_argument "empty map".
  // e.g. {b: 2, a: 1}.get_max_binding() => (b, 2)
  [[nodiscard]] const value_type& get_max_binding() const {
    return value_or_empty(detail::tree::max_node(this->root_.get()));
  }

  // Some binding (the least), or nothing.
  // e.g. {b: 2, a: 1}.choose() => (a, 1)
  [[nodiscard]] std::optional<binding> choose() const { return min_binding(); }

  // Some binding (the least, by the lookup of get_min_binding); throws
  // std::invalid_argument "empty map".
  // e.g. {b: 2, a: 1}.get_any_binding() => (a, 1)
  [[nodiscard]] const value_type& get_any_binding() const { return get_min_binding(); }

  // The position of the binding of k, or end(), as in std::map; the value
  // itself, or nothing, is lookup(k).
  // e.g. {a: 1}.find(a)->second => 1, {a: 1}.find(b) => end()
  [[nodiscard]] iterator find(const key_type& k) const noexcept { return this->find_iterator(k.view()); }

  // The value bound to k; throws std::invalid_argument "c is not bound in
  // map" (the key unquoted) when k is unbound.
  // e.g. {a: 1}.get(a) => 1
  [[nodiscard]] const V& get(const key_type& k) const {
    if (const node* n = find_node(k)) return n->element->value.second;
    throw std::invalid_argument(print_to_string([&](formatter& f) { f.text(k.view()).text(" is not bound in map"); }));
  }

 private:
  static constexpr const char* empty_message = "empty map";
  explicit basic_path_map(node_ref root) noexcept : base(std::move(root)) {}

  const node* find_node(const key_type& k) const noexcept { return detail::tree::find(this->root_.get(), k.view()); }

  template <class Pred>
  const node* monotone(Pred& pred, bool first) const {
    return detail::tree::find_monotone(
        this->root_.get(), [&pred](const value_type& b) { return pred(b.first); }, first);
  }

  static std::optional<binding> optional_of(const node* n) {
    return n == nullptr ? std::nullopt : std::optional<binding>(n->element->value);
  }
  static const value_type& value_or_empty(const node* n) {
    if (n == nullptr) throw std::invalid_argument("empty map");
    return n->element->value;
  }
  static const value_type& value_or_not_found(const node* n) {
    if (n == nullptr) throw not_found();
    return n->element->value;
  }

  // The tree of n with every value replaced by f(k, v), shape kept.
  template <class W, class F>
  static detail::tree::node_ref<std::pair<const key_type, W>> map_node(const node* n, F& f) {
    using out = std::pair<const key_type, W>;
    if (n == nullptr) return {};
    auto l = map_node<W>(n->left.get(), f);
    detail::tree::box_ref<out> b(
        new detail::tree::box<out>(n->element->value.first, f(n->element->value.first, n->element->value.second)));
    return detail::tree::make(std::move(l), std::move(b), map_node<W>(n->right.get(), f));
  }

  static detail::tree::node_ref<key_type> keys_node(const node* n) {
    if (n == nullptr) return {};
    auto l = keys_node(n->left.get());
    detail::tree::box_ref<key_type> b(new detail::tree::box<key_type>(n->element->value.first));
    return detail::tree::make(std::move(l), std::move(b), keys_node(n->right.get()));
  }
};

template <path_syntax S, class V>
struct basic_path_map<S, V>::split_result {
  basic_path_map less;
  std::optional<V> value;
  basic_path_map greater;
};

template <path_syntax S, class V>
auto basic_path_map<S, V>::split(const key_type& k) const -> split_result {
  auto s = detail::tree::split(this->root_, k.view());
  std::optional<V> value = s.found ? std::optional<V>(s.found->value.second) : std::nullopt;
  return {basic_path_map(std::move(s.less)), std::move(value), basic_path_map(std::move(s.greater))};
}

// Writes m.dump on one line however long, each value printed with its own
// operator<<: {("a", 3) ("b", 1)}.
template <path_syntax S, class V>
requires requires(std::ostream& os, const V& v) { os << v; }
std::ostream& operator<<(std::ostream& os, const basic_path_map<S, V>& m) {
  formatter f(os, formatter::unlimited_margin);
  m.dump(f, [](formatter& g, const V& v) {
    std::ostringstream text;
    text << v;
    g.text(text.str());
  });
  return os;
}

template <class V>
using posix_path_map = basic_path_map<posix_syntax, V>;
template <class V>
using windows_path_map = basic_path_map<windows_syntax, V>;
template <class V>
using path_map = basic_path_map<host_syntax, V>;

}  // namespace corso
