// Internal, and not installed: the check of a tree's shape that the tests
// and the fuzzers hold every set and map to.
#pragma once

#include <algorithm>
#include <string_view>

#include "corso/detail/tree.hpp"

namespace corso::detail::tree {

// True when n is ordered, balanced (heights differ by at most one) and its
// sizes and heights are right; for the tests.
template <class T>
bool valid(const node<T>* n, std::string_view* low = nullptr, std::string_view* high = nullptr) {
  if (n == nullptr) return true;
  if ((low != nullptr && n->key.compare(*low) <= 0) || (high != nullptr && n->key.compare(*high) >= 0)) return false;
  std::string_view key = n->key;
  const int hl = node<T>::height_of(n->left.get());
  const int hr = node<T>::height_of(n->right.get());
  return hl - hr <= 1 && hr - hl <= 1 && n->height == std::max(hl, hr) + 1 &&
         n->size == node<T>::size_of(n->left.get()) + node<T>::size_of(n->right.get()) + 1 &&
         valid(n->left.get(), low, &key) && valid(n->right.get(), &key, high);
}

}  // namespace corso::detail::tree
