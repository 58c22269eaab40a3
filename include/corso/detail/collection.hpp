// Internal, not part of the public interface: what path sets and path maps
// share. Both are a persistent tree of their elements (a path, or a binding)
// with the same size, iteration and ranges; they differ in what an element
// is and in their operations.
#pragma once

#include <cstddef>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "corso/detail/tree.hpp"

namespace corso::detail {

// A range over a collection that keeps the collection alive, so that a
// range taken from a temporary stays valid.
// Its iterators point into nodes, which do not move with the collection.
template <class Collection, class It>
class collection_view {
 public:
  collection_view(Collection c, It first, It last) : c_(std::move(c)), first_(first), last_(last) {}
  [[nodiscard]] It begin() const noexcept { return first_; }
  [[nodiscard]] It end() const noexcept { return last_; }

 private:
  Collection c_;
  It first_;
  It last_;
};

// The tree of a set or map, Derived, whose elements are T.
template <class Derived, class T>
class tree_collection {
 public:
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;
  using iterator = tree::iterator<T>;
  using const_iterator = iterator;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = reverse_iterator;

  // True when there is no element.
  // e.g. {}.empty() => true, {a}.empty() => false
  [[nodiscard]] bool empty() const noexcept { return !root_; }

  // The number of elements, in O(1).
  // e.g. {a, b}.size() => 2
  [[nodiscard]] size_type size() const noexcept { return tree::node<T>::size_of(root_.get()); }

  // The first and the last element, as std's containers give them, but an
  // empty collection throws std::out_of_range ("empty set", "empty map")
  // where std's would be undefined.
  // e.g. {b, a}.front() => a, {b, a}.back() => b
  [[nodiscard]] const T& front() const { return element_or_empty(tree::min_node(root_.get())); }
  [[nodiscard]] const T& back() const { return element_or_empty(tree::max_node(root_.get())); }

  // Iteration in increasing key order; iterators are valid while the collection lives.
  [[nodiscard]] iterator begin() const noexcept { return iterator::begin(root_.get()); }
  [[nodiscard]] iterator end() const noexcept { return iterator::end(root_.get()); }
  [[nodiscard]] reverse_iterator rbegin() const noexcept { return reverse_iterator(end()); }
  [[nodiscard]] reverse_iterator rend() const noexcept { return reverse_iterator(begin()); }

  // All elements in increasing key order, as a range that keeps the collection alive.
  // e.g. {b, a}.ascending() => a, b
  [[nodiscard]] auto ascending() const { return collection_view(derived(), begin(), end()); }

  // All elements in decreasing key order, as a range that keeps the collection alive.
  // e.g. {b, a}.descending() => b, a
  [[nodiscard]] auto descending() const { return collection_view(derived(), rbegin(), rend()); }

 protected:
  tree_collection() noexcept = default;
  explicit tree_collection(tree::node_ref<T> root) noexcept : root_(std::move(root)) {}

  [[nodiscard]] const Derived& derived() const noexcept { return static_cast<const Derived&>(*this); }
  // The collection of boxes in increasing key order, in O(n).
  [[nodiscard]] static Derived from_boxes(const std::vector<tree::box_ref<T>>& boxes) {
    return Derived(tree::from_sorted(boxes, 0, boxes.size()));
  }

  // The element at key, or end().
  [[nodiscard]] iterator find_iterator(std::string_view key) const noexcept {
    iterator it = iterator::lower_bound(root_.get(), key);
    return it != end() && tree::key_of(*it) == key ? it : end();
  }

  friend struct tree::access;
  tree::node_ref<T> root_;

 private:
  static const T& element_or_empty(const tree::node<T>* n) {
    if (n == nullptr) throw std::out_of_range(Derived::empty_message);
    return n->element->value;
  }
};

}  // namespace corso::detail
