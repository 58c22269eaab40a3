// Internal, not part of the public interface: the persistent AVL tree behind
// path sets and path maps.
//
// Nodes are immutable once built and shared between versions; a change
// builds new nodes along one path and shares the rest. Elements live in
// boxes of their own, shared by every node that holds them, so building a
// node copies no path bytes; each node keeps a view of its key's bytes so
// that a search never touches the boxes. Reference counts are atomic, so any
// number of threads may read and copy one tree at once.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace corso::detail::tree {

// No tree that fits in memory is this high: an AVL tree of height h holds at
// least F(h + 2) - 1 nodes, more than 10^13 for h = 60.
inline constexpr std::size_t max_height = 64;

// The bytes by which an element is ordered: a path's, or a binding's key's.
template <class T>
std::string_view key_of(const T& element) noexcept {
  if constexpr (requires { element.first.view(); }) {
    return element.first.view();
  } else {
    return element.view();
  }
}

template <class T>
struct box {
  template <class... A>
  explicit box(A&&... a) : value(std::forward<A>(a)...) {}
  std::atomic<std::size_t> refs{1};
  const T value;
};

// Owns one reference to an intrusively counted object (a box or a node).
template <class P>
class ref {
 public:
  ref() noexcept = default;
  explicit ref(P* p) noexcept : p_(p) {}  // adopts the reference p carries
  ref(const ref& o) noexcept : p_(o.p_) { retain(); }
  ref(ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ref& operator=(ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ref() { release(); }

  [[nodiscard]] P* get() const noexcept { return p_; }
  P* operator->() const noexcept { return p_; }
  P& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  friend bool operator==(const ref& a, const ref& b) noexcept { return a.p_ == b.p_; }

 private:
  void retain() const noexcept {
    if (p_ != nullptr) p_->refs.fetch_add(1, std::memory_order_relaxed);
  }
  void release() noexcept {
    // The last owner sees every write of the others before it deletes.
    if (p_ != nullptr && p_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete p_;
  }
  P* p_ = nullptr;
};

template <class T>
struct node;
template <class T>
using node_ref = ref<const node<T>>;
template <class T>
using box_ref = ref<box<T>>;

// Nodes never change once another owner can see them; only a node whose one
// reference belongs to the caller (see owned) is changed in place.
template <class T>
struct node {
  node(node_ref<T> l, box_ref<T> b, node_ref<T> r) noexcept
      : left(std::move(l)), right(std::move(r)), element(std::move(b)), key(key_of(element->value)) {
    update();
  }

  static std::size_t size_of(const node* n) noexcept { return n == nullptr ? 0 : n->size; }
  static int height_of(const node* n) noexcept { return n == nullptr ? 0 : n->height; }
  void update() noexcept {
    size = size_of(left.get()) + size_of(right.get()) + 1;
    height = std::max(height_of(left.get()), height_of(right.get())) + 1;
  }

  mutable std::atomic<std::size_t> refs{1};
  node_ref<T> left;
  node_ref<T> right;
  box_ref<T> element;
  std::string_view key;  // in element's value, which never moves
  std::size_t size = 0;
  int height = 0;
};

// n, writable, when the caller holds its only reference: no other owner, on
// any thread, can reach it. The acquire pairs with the release of the last
// other owner that let go of it.
template <class T>
node<T>* owned(const node_ref<T>& n) noexcept {
  return n && n->refs.load(std::memory_order_acquire) == 1 ? const_cast<node<T>*>(n.get()) : nullptr;
}

template <class T>
int height(const node_ref<T>& n) noexcept {
  return node<T>::height_of(n.get());
}

template <class T>
node_ref<T> make(node_ref<T> l, box_ref<T> b, node_ref<T> r) {
  return node_ref<T>(new node<T>(std::move(l), std::move(b), std::move(r)));
}

// A node over l and r whose heights differ by at most 2, rebalanced by one
// or two rotations.
template <class T>
node_ref<T> balance(node_ref<T> l, box_ref<T> b, node_ref<T> r) {
  const int hl = height(l);
  const int hr = height(r);
  if (hl > hr + 1) {
    if (height(l->left) >= height(l->right))
      return make(l->left, l->element, make(l->right, std::move(b), std::move(r)));
    const node<T>& lr = *l->right;
    return make(make(l->left, l->element, lr.left), lr.element, make(lr.right, std::move(b), std::move(r)));
  }
  if (hr > hl + 1) {
    if (height(r->right) >= height(r->left))
      return make(make(std::move(l), std::move(b), r->left), r->element, r->right);
    const node<T>& rl = *r->left;
    return make(make(std::move(l), std::move(b), rl.left), rl.element, make(rl.right, r->element, r->right));
  }
  return make(std::move(l), std::move(b), std::move(r));
}

// l, b, r in order, whatever their heights; recursion along one spine.
template <class T>
node_ref<T> join(node_ref<T> l, box_ref<T> b, node_ref<T> r) {
  const int hl = height(l);
  const int hr = height(r);
  if (hl > hr + 2) return balance(l->left, l->element, join(l->right, std::move(b), std::move(r)));
  if (hr > hl + 2) return balance(join(std::move(l), std::move(b), r->left), r->element, r->right);
  return balance(std::move(l), std::move(b), std::move(r));
}

template <class T>
const node<T>* min_node(const node<T>* n) noexcept {
  if (n == nullptr) return nullptr;
  while (n->left) n = n->left.get();
  return n;
}

template <class T>
const node<T>* max_node(const node<T>* n) noexcept {
  if (n == nullptr) return nullptr;
  while (n->right) n = n->right.get();
  return n;
}

template <class T>
node_ref<T> remove_min(const node_ref<T>& n) {
  if (!n->left) return n->right;
  return balance(remove_min(n->left), n->element, n->right);
}

// l then r, every key of l below every key of r.
template <class T>
node_ref<T> concat(node_ref<T> l, node_ref<T> r) {
  if (!l) return r;
  if (!r) return l;
  box_ref<T> m = min_node(r.get())->element;
  return join(std::move(l), std::move(m), remove_min(r));
}

template <class T>
const node<T>* find(const node<T>* n, std::string_view key) noexcept {
  while (n != nullptr) {
    const int c = key.compare(n->key);
    if (c == 0) return n;
    n = c < 0 ? n->left.get() : n->right.get();
  }
  return nullptr;
}

// n with the box that make_box() builds for key, in place of the element of
// key or added; n itself (shared, and nothing built) when `keep_existing`
// and the key is there already.
template <class T, class MakeBox>
node_ref<T> insert(const node_ref<T>& n, std::string_view key, MakeBox& make_box, bool keep_existing) {
  if (!n) return make(node_ref<T>(), make_box(), node_ref<T>());
  const int c = key.compare(n->key);
  if (c == 0) return keep_existing ? n : make(n->left, make_box(), n->right);
  if (c < 0) {
    node_ref<T> l = insert(n->left, key, make_box, keep_existing);
    return l == n->left ? n : balance(std::move(l), n->element, n->right);
  }
  node_ref<T> r = insert(n->right, key, make_box, keep_existing);
  return r == n->right ? n : balance(n->left, n->element, std::move(r));
}

// insert, changing in place the nodes that the caller owns alone (it gives
// up n): on a tree that nothing shares, an insertion builds one node.
template <class T, class MakeBox>
node_ref<T> insert_owned(node_ref<T> n, std::string_view key, MakeBox& make_box, bool keep_existing) {
  node<T>* m = owned(n);
  if (m == nullptr) return insert(n, key, make_box, keep_existing);
  const int c = key.compare(m->key);
  if (c == 0) {
    if (!keep_existing) {
      m->element = make_box();
      m->key = key_of(m->element->value);
    }
    return n;
  }
  node_ref<T>& child = c < 0 ? m->left : m->right;
  child = insert_owned(std::move(child), key, make_box, keep_existing);
  if (std::abs(height(m->left) - height(m->right)) <= 1) {
    m->update();
    return n;
  }
  return balance(m->left, m->element, m->right);  // once per insertion at most
}

// n without key; n itself (shared) when the key is not there.
template <class T>
node_ref<T> remove(const node_ref<T>& n, std::string_view key) {
  if (!n) return n;
  const int c = key.compare(n->key);
  if (c == 0) return concat(n->left, n->right);
  if (c < 0) {
    node_ref<T> l = remove(n->left, key);
    return l == n->left ? n : balance(std::move(l), n->element, n->right);
  }
  node_ref<T> r = remove(n->right, key);
  return r == n->right ? n : balance(n->left, n->element, std::move(r));
}

template <class T>
struct split_result {
  node_ref<T> less;
  box_ref<T> found;  // the element of the key, if any
  node_ref<T> greater;
};

template <class T>
split_result<T> split(const node_ref<T>& n, std::string_view key) {
  if (!n) return {};
  const int c = key.compare(n->key);
  if (c == 0) return {n->left, n->element, n->right};
  if (c < 0) {
    split_result<T> s = split(n->left, key);
    return {std::move(s.less), std::move(s.found), join(std::move(s.greater), n->element, n->right)};
  }
  split_result<T> s = split(n->right, key);
  return {join(n->left, n->element, std::move(s.less)), std::move(s.found), std::move(s.greater)};
}

// A balanced tree of the boxes, which are in increasing key order.
template <class T>
node_ref<T> from_sorted(const std::vector<box_ref<T>>& boxes, std::size_t begin, std::size_t end) {
  if (begin == end) return {};
  const std::size_t mid = begin + (end - begin) / 2;
  return make(from_sorted(boxes, begin, mid), boxes[mid], from_sorted(boxes, mid + 1, end));
}

// Elements of a or b; where both hold a key, `pick` chooses the box to keep
// (or none), given a's box then b's. When `pick` keeps a's box, a subtree
// that both trees share is its own union and comes back untouched.
enum class shared_subtrees { are_their_union, go_through_pick };

template <class T, class Pick>
node_ref<T> unite_by_split(const node_ref<T>& a, const node_ref<T>& b, Pick& pick, shared_subtrees shared) {
  if (!a) return b;
  if (!b || (a == b && shared == shared_subtrees::are_their_union)) return a;
  split_result<T> s = split(b, a->key);
  node_ref<T> l = unite_by_split(a->left, s.less, pick, shared);
  node_ref<T> r = unite_by_split(a->right, s.greater, pick, shared);
  box_ref<T> kept = s.found ? pick(a->element, s.found) : a->element;
  return kept ? join(std::move(l), std::move(kept), std::move(r)) : concat(std::move(l), std::move(r));
}

template <class T>
node_ref<T> intersect_by_split(const node_ref<T>& a, const node_ref<T>& b) {
  if (!a || !b) return {};
  if (a == b) return a;
  split_result<T> s = split(b, a->key);
  node_ref<T> l = intersect_by_split(a->left, s.less);
  node_ref<T> r = intersect_by_split(a->right, s.greater);
  return s.found ? join(std::move(l), a->element, std::move(r)) : concat(std::move(l), std::move(r));
}

template <class T>
node_ref<T> subtract_by_split(const node_ref<T>& a, const node_ref<T>& b) {
  if (!a || a == b) return {};
  if (!b) return a;
  split_result<T> s = split(a, b->key);
  return concat(subtract_by_split(s.less, b->left), subtract_by_split(s.greater, b->right));
}

// The two trees walked in order together: `decide(x, y)` gets the boxes of
// one key (null where a tree lacks it) and gives the box to keep, or none.
// One pass, one node built per element kept, boxes shared.
template <class T, class Decide>
node_ref<T> merge_in_order(const node_ref<T>& a, const node_ref<T>& b, Decide&& decide);

// Splitting and joining costs about m log(n/m + 1) node builds for sizes m <=
// n, merging in order n + m: split when one tree is much the smaller, or
// when the roots hold the same box, the mark of two versions of one tree,
// whose shared subtrees the split passes over whole.
template <class T>
bool split_is_cheaper(const node_ref<T>& a, const node_ref<T>& b) noexcept {
  const std::size_t n = node<T>::size_of(a.get());
  const std::size_t m = node<T>::size_of(b.get());
  return std::min(n, m) * 16 <= std::max(n, m) || a->element == b->element;
}

template <class T, class Pick>
node_ref<T> unite(const node_ref<T>& a, const node_ref<T>& b, Pick& pick, shared_subtrees shared) {
  if (!a) return b;
  if (!b || (a == b && shared == shared_subtrees::are_their_union)) return a;
  if (split_is_cheaper(a, b)) return unite_by_split(a, b, pick, shared);
  return merge_in_order(a, b, [&pick](const box_ref<T>* x, const box_ref<T>* y) {
    return x != nullptr && y != nullptr ? pick(*x, *y) : (x != nullptr ? *x : *y);
  });
}

template <class T>
node_ref<T> intersect(const node_ref<T>& a, const node_ref<T>& b) {
  if (!a || !b) return {};
  if (a == b) return a;
  if (split_is_cheaper(a, b)) return intersect_by_split(a, b);
  return merge_in_order(
      a, b, [](const box_ref<T>* x, const box_ref<T>* y) { return x != nullptr && y != nullptr ? *x : box_ref<T>(); });
}

template <class T>
node_ref<T> subtract(const node_ref<T>& a, const node_ref<T>& b) {
  if (!a || a == b) return {};
  if (!b) return a;
  if (split_is_cheaper(a, b)) return subtract_by_split(a, b);
  return merge_in_order(
      a, b, [](const box_ref<T>* x, const box_ref<T>* y) { return x != nullptr && y == nullptr ? *x : box_ref<T>(); });
}

// In-order traversal, calling f on every node; a stack of the left spine.
template <class T, class F>
void for_each_node(const node<T>* n, F&& f) {
  std::array<const node<T>*, max_height> stack;
  std::size_t depth = 0;
  while (n != nullptr || depth > 0) {
    while (n != nullptr) {
      stack[depth++] = n;
      n = n->left.get();
    }
    n = stack[--depth];
    f(*n);
    n = n->right.get();
  }
}

// The least element whose key satisfies a predicate that is false then true
// along the order (`first`), or the greatest one of a predicate true then
// false (`!first`); null when none does.
template <class T, class Pred>
const node<T>* find_monotone(const node<T>* n, Pred&& pred, bool first) {
  const node<T>* found = nullptr;
  while (n != nullptr) {
    if (pred(n->element->value)) {
      found = n;
      n = first ? n->left.get() : n->right.get();
    } else {
      n = first ? n->right.get() : n->left.get();
    }
  }
  return found;
}

// A bidirectional iterator: the path from the root to the current node.
// It holds plain pointers, so it is valid while the tree it walks lives.
template <class T>
class iterator {
 public:
  using value_type = T;
  using difference_type = std::ptrdiff_t;
  using reference = const T&;
  using pointer = const T*;
  using iterator_category = std::bidirectional_iterator_tag;

  // Only the first depth_ slots of the stack are ever read: they alone are
  // written and copied, so that an iterator costs no 512-byte clearing.
  iterator() noexcept {}  // NOLINT(cppcoreguidelines-pro-type-member-init): slots are written before read
  iterator(const iterator& other) noexcept : root_(other.root_), depth_(other.depth_) {  // NOLINT: as above
    std::copy_n(other.stack_.begin(), depth_, stack_.begin());
  }
  iterator& operator=(const iterator& other) noexcept {
    if (this == &other) return *this;
    root_ = other.root_;
    depth_ = other.depth_;
    std::copy_n(other.stack_.begin(), depth_, stack_.begin());
    return *this;
  }
  ~iterator() = default;
  reference operator*() const noexcept { return stack_[depth_ - 1]->element->value; }
  const node<T>& current() const noexcept { return *stack_[depth_ - 1]; }
  pointer operator->() const noexcept { return &**this; }
  friend bool operator==(const iterator& a, const iterator& b) noexcept {
    return a.depth_ == b.depth_ && (a.depth_ == 0 || a.stack_[a.depth_ - 1] == b.stack_[b.depth_ - 1]);
  }

  iterator& operator++() noexcept {
    const node<T>* n = stack_[depth_ - 1];
    if (n->right) {
      descend_left(n->right.get());
    } else {
      // Climb while coming from the right: the next node is the first
      // ancestor left through its left child.
      do {
        n = stack_[--depth_];
      } while (depth_ > 0 && stack_[depth_ - 1]->right.get() == n);
    }
    return *this;
  }
  iterator operator++(int) noexcept {
    iterator old = *this;
    ++*this;
    return old;
  }
  iterator& operator--() noexcept {
    if (depth_ == 0) {  // from the end: the greatest element
      descend_right(root_);
      return *this;
    }
    const node<T>* n = stack_[depth_ - 1];
    if (n->left) {
      descend_right(n->left.get());
    } else {
      do {
        n = stack_[--depth_];
      } while (depth_ > 0 && stack_[depth_ - 1]->left.get() == n);
    }
    return *this;
  }
  iterator operator--(int) noexcept {
    iterator old = *this;
    --*this;
    return old;
  }

  static iterator begin(const node<T>* root) noexcept {
    iterator it(root);
    it.descend_left(root);
    return it;
  }
  static iterator end(const node<T>* root) noexcept { return iterator(root); }
  // The first element whose key is not less than key.
  static iterator lower_bound(const node<T>* root, std::string_view key) noexcept {
    iterator it(root);
    const node<T>* n = root;
    std::size_t keep = 0;  // the depth of the last node not less than key
    while (n != nullptr) {
      it.stack_[it.depth_++] = n;
      if (key.compare(n->key) <= 0) {
        keep = it.depth_;
        n = n->left.get();
      } else {
        n = n->right.get();
      }
    }
    it.depth_ = keep;
    return it;
  }

 private:
  explicit iterator(const node<T>* root) noexcept : root_(root) {}  // NOLINT: as above
  void descend_left(const node<T>* n) noexcept {
    for (; n != nullptr; n = n->left.get()) stack_[depth_++] = n;
  }
  void descend_right(const node<T>* n) noexcept {
    for (; n != nullptr; n = n->right.get()) stack_[depth_++] = n;
  }

  const node<T>* root_ = nullptr;
  std::array<const node<T>*, max_height> stack_;
  std::size_t depth_ = 0;
};

template <class T, class Decide>
node_ref<T> merge_in_order(const node_ref<T>& a, const node_ref<T>& b, Decide&& decide) {
  std::vector<box_ref<T>> kept;
  kept.reserve(node<T>::size_of(a.get()) + node<T>::size_of(b.get()));
  auto x = iterator<T>::begin(a.get());
  auto y = iterator<T>::begin(b.get());
  const auto x_end = iterator<T>::end(a.get());
  const auto y_end = iterator<T>::end(b.get());
  const auto keep = [&kept](box_ref<T> box) {
    if (box) kept.push_back(std::move(box));
  };
  while (x != x_end && y != y_end) {
    const int c = x.current().key.compare(y.current().key);
    if (c < 0) {
      keep(decide(&x.current().element, nullptr));
      ++x;
    } else if (c > 0) {
      keep(decide(nullptr, &y.current().element));
      ++y;
    } else {
      keep(decide(&x.current().element, &y.current().element));
      ++x;
      ++y;
    }
  }
  for (; x != x_end; ++x) keep(decide(&x.current().element, nullptr));
  for (; y != y_end; ++y) keep(decide(nullptr, &y.current().element));
  return from_sorted(kept, 0, kept.size());
}

// The root of a set or map, for the tests' checks of the tree's shape.
struct access {
  template <class Collection>
  static auto root(const Collection& c) noexcept {
    return c.root_.get();
  }
};

}  // namespace corso::detail::tree
