// Random sequences of operations on path sets and maps, each against a
// std::set or std::map of the same strings; every version is kept and
// checked again at the end, so a change that touched a shared node shows.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "check.hpp"
#include "tree_check.hpp"

namespace {

using corso::fuzz::require;
using pset = corso::posix_path_set;
using pmap = corso::posix_path_map<int>;

struct reader {
  std::string_view in;
  std::size_t at = 0;
  [[nodiscard]] bool done() const { return at >= in.size(); }
  std::uint8_t byte() { return done() ? 0 : static_cast<std::uint8_t>(in[at++]); }
  // A short path: a few bytes of the input, or a name from a small pool so
  // that operations meet the same paths again.
  corso::posix_path path() {
    static const char* const pool[] = {"a", "a/b", "a/b/", "/", "//", "b", ".", "..", "a/./b", "/a", "//a", "a.b"};
    const std::uint8_t n = byte();
    if (n < 128) return corso::posix_path::v(pool[n % 12]);
    std::string s;
    for (std::size_t k = n % 6 + 1; k > 0 && !done(); --k)
      s += static_cast<char>(byte() % 3 == 0 ? '/' : 'a' + byte() % 4);
    const auto p = corso::posix_path::of_string(s);
    return p ? *p : corso::posix_path::v("z");
  }
};

std::vector<std::string> texts(const pset& s) {
  std::vector<std::string> out;
  for (const auto& p : s) out.push_back(p.to_string());
  return out;
}

void require_same(const pset& s, const std::set<std::string>& m) {
  require(corso::detail::tree::valid(corso::detail::tree::access::root(s)), "a set's tree is ordered and balanced");
  require(s.size() == m.size() && texts(s) == std::vector<std::string>(m.begin(), m.end()),
          "a set has its model's elements");
}

void require_same(const pmap& s, const std::map<std::string, int>& m) {
  require(corso::detail::tree::valid(corso::detail::tree::access::root(s)), "a map's tree is ordered and balanced");
  std::map<std::string, int> got;
  s.for_each([&](const corso::posix_path& k, int v) { got.emplace(k.to_string(), v); });
  require(s.size() == m.size() && got == m, "a map has its model's bindings");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  reader r{std::string_view(reinterpret_cast<const char*>(data), size)};
  std::vector<std::pair<pset, std::set<std::string>>> sets{{pset(), {}}};
  std::vector<std::pair<pmap, std::map<std::string, int>>> maps{{pmap(), {}}};
  for (int step = 0; step < 200 && !r.done(); ++step) {
    const std::uint8_t op = r.byte();
    // Copies: the vectors grow below. A set's copy is O(1), its model's is not, but small.
    const auto [s, m] = sets[r.byte() % sets.size()];
    const auto [t, n] = sets[r.byte() % sets.size()];
    const auto [mp, mm] = maps[r.byte() % maps.size()];
    const corso::posix_path p = r.path();
    const std::string k = p.to_string();
    switch (op % 10) {
      case 0: {
        auto model = m;
        model.insert(k);
        sets.emplace_back(s.add(p), model);
        break;
      }
      case 1: {  // in place where nothing else shares the nodes
        auto model = m;
        model.insert(k);
        pset copy = s;
        sets.emplace_back(std::move(copy).add(p), model);
        pset fresh;
        for (const auto& q : s) fresh = std::move(fresh).add(q);
        require(fresh == s, "a set built in place has the elements");
        break;
      }
      case 2: {
        auto model = m;
        model.erase(k);
        sets.emplace_back(s.remove(p), model);
        break;
      }
      case 3:
      case 4: {
        std::set<std::string> u, i, d;
        std::set_union(m.begin(), m.end(), n.begin(), n.end(), std::inserter(u, u.end()));
        std::set_intersection(m.begin(), m.end(), n.begin(), n.end(), std::inserter(i, i.end()));
        std::set_difference(m.begin(), m.end(), n.begin(), n.end(), std::inserter(d, d.end()));
        const pset su = s.union_with(t);
        const pset si = s.intersection(t);
        const pset sd = s.difference(t);
        require(s.disjoint(t) == i.empty(), "disjoint");
        require(s.subset_of(t) == std::includes(n.begin(), n.end(), m.begin(), m.end()), "subset_of");
        require((s == t) == (m == n) && (compare(s, t) < 0) == (m < n), "set order");
        sets.emplace_back(su, u);
        sets.emplace_back(si, i);
        sets.emplace_back(sd, d);
        break;
      }
      case 5: {
        const auto sp = s.split(p);
        require(sp.present == m.contains(k), "split finds the element");
        require(sp.less.size() + sp.greater.size() + sp.present == s.size(), "split keeps every element");
        require(s.contains(p) == m.contains(k) && (s.find(p) != s.end()) == m.contains(k), "membership");
        break;
      }
      case 6: {
        auto model = mm;
        const int v = r.byte();
        model[k] = v;
        maps.emplace_back(mp.add(p, v), model);
        pmap copy = mp;
        auto in_place = mm;
        in_place[k] = v + 1;
        maps.emplace_back(std::move(copy).add(p, v + 1), in_place);
        break;
      }
      case 7: {
        auto model = mm;
        model.erase(k);
        maps.emplace_back(mp.remove(p), model);
        break;
      }
      case 8: {
        const auto [other, om] = maps[r.byte() % maps.size()];
        auto model = mm;
        for (const auto& [key, b] : om) {
          auto it = model.find(key);
          if (it == model.end()) {
            model.emplace(key, b);
          } else if (it->second == b) {
            model.erase(it);
          } else {
            it->second = it->second - b;
          }
        }
        maps.emplace_back(mp.union_with(other, [](const corso::posix_path&, int a,
                                                  int b) { return a == b ? std::nullopt : std::optional(a - b); }),
                          model);
        break;
      }
      default: {
        std::set<std::string> keys;
        for (const auto& [key, v] : mm) keys.insert(key);
        require_same(mp.dom(), keys);
        require((mp.find(p) != mp.end()) == mm.contains(k), "map lookup");
        const auto fp = s.first_where([&](const corso::posix_path& q) { return q >= p; });
        const auto it = m.lower_bound(k);
        require(fp.has_value() == (it != m.end()) && (!fp || fp->to_string() == *it), "first_where is lower_bound");
      }
    }
    require_same(sets.back().first, sets.back().second);
    require_same(maps.back().first, maps.back().second);
  }
  for (const auto& [s, m] : sets) require_same(s, m);
  for (const auto& [s, m] : maps) require_same(s, m);
  return 0;
}
