#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "test_util.hpp"
#include "tree_check.hpp"

namespace corso::test {
namespace {

using pmap = posix_path_map<int>;

std::string dumped(const pmap& m) {
  return print_to_string([&](formatter& f) { m.dump(f, [](formatter& g, int v) { g.text(std::to_string(v)); }); });
}

std::map<std::string, int> model_of(const pmap& m) {
  std::map<std::string, int> out;
  m.for_each([&](const posix_path& k, int v) { out.emplace(k.to_string(), v); });
  return out;
}

TEST(PathMap, LaterPairsWinAndAccessorsFollowTheKeys) {
  const pmap m = pmap::of_list({{px("b"), 1}, {px("a"), 2}, {px("a"), 3}});
  EXPECT_EQ(m.size(), 2u);
  EXPECT_EQ(m.get(px("a")), 3);
  EXPECT_EQ(m.get_min_binding(), (pmap::value_type{px("a"), 3}));
  EXPECT_EQ(m.get_any_binding(), (pmap::value_type{px("a"), 3}));
  EXPECT_EQ(m.choose(), (pmap::binding{px("a"), 3}));
  EXPECT_EQ(m.min_binding(), (pmap::binding{px("a"), 3}));
  EXPECT_EQ(m.get_max_binding(), (pmap::value_type{px("b"), 1}));
  EXPECT_EQ(m.max_binding(), (pmap::binding{px("b"), 1}));
  EXPECT_EQ(m.front(), (pmap::value_type{px("a"), 3}));
  EXPECT_EQ(&m.back(), &*m.rbegin());  // a reference to the binding, as std's
  EXPECT_EQ(m.find(px("b"))->second, 1);
  EXPECT_EQ(m.find(px("c")), m.end());
  EXPECT_EQ(m.find(px("a/")), m.end());
  EXPECT_EQ(m.dom(), posix_path_set::of_list({px("a"), px("b")}));
  EXPECT_TRUE(detail::tree::valid(detail::tree::access::root(m.dom())));
  EXPECT_EQ(invalid_argument_message([&] { (void)m.get(px("c")); }), "c is not bound in map");
  EXPECT_EQ(invalid_argument_message([&] { (void)m.get(px("x y/")); }), "x y/ is not bound in map");
}

TEST(PathMap, TheEmptyMapRaisesOrGivesNothing) {
  const pmap e;
  for (auto get : {&pmap::get_min_binding, &pmap::get_max_binding, &pmap::get_any_binding}) {
    EXPECT_EQ(invalid_argument_message([&] { (void)(e.*get)(); }), "empty map");
  }
  EXPECT_EQ(e.min_binding(), std::nullopt);
  EXPECT_EQ(e.max_binding(), std::nullopt);
  EXPECT_EQ(e.choose(), std::nullopt);
  EXPECT_EQ(e.find(px("a")), e.end());
  for (auto get : {&pmap::front, &pmap::back}) {
    EXPECT_EQ(exception_message<std::out_of_range>([&] { (void)(e.*get)(); }), "empty map");
  }
  EXPECT_TRUE(e.dom().empty());
  EXPECT_EQ(dumped(e), "{}");
  EXPECT_THROW((void)e.get_first_where([](const posix_path&) { return true; }), not_found);
}

TEST(PathMap, Printers) {
  const pmap m = pmap::of_list({{px("b"), 1}, {px("a"), 3}});
  EXPECT_EQ(dumped(m), R"({("a", 3) ("b", 1)})");
  const auto eq = [](formatter& f, const pmap::value_type& b) {
    pp(f, b.first);
    f.text("=" + std::to_string(b.second));
  };
  EXPECT_EQ(print_to_string([&](formatter& f) { m.pp(f, eq); }), "a=3b=1");
  std::ostringstream os;
  os << m;
  EXPECT_EQ(os.str(), R"({("a", 3) ("b", 1)})");
  EXPECT_EQ(print_to_string([&](formatter& f) { m.pp(f, eq, [](formatter& g) { g.text("; "); }); }), "a=3; b=1");

  // A binding that does not fit breaks inside its own box, after the comma.
  const posix_path_map<std::string> long_values =
      posix_path_map<std::string>::of_list({{px("key"), std::string(70, 'v')}, {px("other"), "w"}});
  std::ostringstream one_line;  // but operator<< writes one line
  one_line << long_values;
  EXPECT_EQ(one_line.str(), "{(\"key\", " + std::string(70, 'v') + ") (\"other\", w)}");
  const std::string out = print_to_string(
      [&](formatter& f) { long_values.dump(f, [](formatter& g, const std::string& v) { g.text(v); }); });
  EXPECT_EQ(out, "{(\"key\",\n  " + std::string(70, 'v') + ")\n (\"other\", w)}");
}

TEST(PathMap, AgreesWithStdMapAndKeepsOldVersions) {
  path_generator gen(12);
  std::mt19937 rng(4);
  std::vector<std::pair<pmap, std::map<std::string, int>>> versions{{pmap(), {}}};
  for (int step = 0; step < 2000; ++step) {
    const auto& [m, model] = versions[rng() % versions.size()];
    const posix_path k = px(gen.posix());
    const int v = static_cast<int>(rng() % 100);
    pmap next;
    std::map<std::string, int> expected = model;
    switch (rng() % 5) {
      case 0:
      case 1:
        next = m.add(k, v);
        expected[k.to_string()] = v;
        break;
      case 2:
        next = m.remove(k);
        expected.erase(k.to_string());
        break;
      case 3:
        next = m.update(k, [v](const int* old) { return old ? std::optional<int>(*old + v) : std::nullopt; });
        if (auto it = expected.find(k.to_string()); it != expected.end()) it->second += v;
        break;
      default: {
        const auto& [o, other] = versions[rng() % versions.size()];
        next = m.union_with(
            o, [](const posix_path&, int a, int b) { return a == b ? std::nullopt : std::optional(a - b); });
        for (const auto& [key, b] : other) {
          auto it = expected.find(key);
          if (it == expected.end()) {
            expected.emplace(key, b);
          } else if (it->second == b) {
            expected.erase(it);
          } else {
            it->second -= b;
          }
        }
        const auto merged = m.merge(o, [](const posix_path&, const int* a, const int* b) {
          return std::optional<long>((a ? *a : 0) * 1000L + (b ? *b : 0));
        });
        std::map<std::string, long> keys;
        for (const auto& [key, a] : model) keys[key] += a * 1000L;
        for (const auto& [key, b] : other) keys[key] += b;
        std::map<std::string, long> got;
        merged.for_each([&](const posix_path& key, long x) { got.emplace(key.to_string(), x); });
        EXPECT_EQ(got, keys);
      }
    }
    ASSERT_TRUE(detail::tree::valid(detail::tree::access::root(next)));
    ASSERT_EQ(model_of(next), expected);
    ASSERT_EQ(next.size(), expected.size());
    versions.emplace_back(next, expected);
  }
  for (const auto& [m, model] : versions) EXPECT_EQ(model_of(m), model);
}

TEST(PathMap, ElementwiseMembers) {
  const pmap m = pmap::of_list({{px("a"), 1}, {px("b"), 2}, {px("c"), 3}, {px("d"), 4}});
  const auto odd = [](const posix_path&, int v) { return v % 2 == 1; };
  EXPECT_EQ(model_of(m.filter(odd)), (std::map<std::string, int>{{"a", 1}, {"c", 3}}));
  const auto [yes, no] = m.partition(odd);
  EXPECT_EQ(yes.size(), 2u);
  EXPECT_EQ(no.get(px("d")), 4);
  const auto doubled = m.map([](int v) { return v * 2.5; });
  EXPECT_EQ(doubled.get(px("b")), 5.0);
  const auto named = m.map_with_key([](const posix_path& k, int v) { return k.to_string() + std::to_string(v); });
  EXPECT_EQ(named.get(px("c")), "c3");
  EXPECT_TRUE(detail::tree::valid(detail::tree::access::root(named)));
  const auto some = m.filter_map([](const posix_path& k, int v) { return v > 2 ? std::optional(k) : std::nullopt; });
  EXPECT_EQ(some.get(px("d")), px("d"));
  EXPECT_EQ(some.size(), 2u);
  EXPECT_EQ(m.fold([](int acc, const posix_path&, int v) { return acc * 10 + v; }, 0), 1234);
  EXPECT_TRUE(m.all_of([](const posix_path&, int v) { return v > 0; }));
  EXPECT_FALSE(m.any_of([](const posix_path&, int v) { return v > 4; }));
  const auto [less, value, greater] = m.split(px("c"));
  EXPECT_EQ(less.size(), 2u);
  EXPECT_EQ(value, 3);
  EXPECT_EQ(greater.get(px("d")), 4);
  EXPECT_EQ(m.lookup(px("b")), 2);
  EXPECT_EQ(m.first_where([](const posix_path& k) { return k >= px("bb"); }), (pmap::binding{px("c"), 3}));
  EXPECT_EQ(m.get_last_where([](const posix_path& k) { return k <= px("bb"); }).second, 2);
  std::vector<int> down;
  for (const auto& [k, v] : m.descending()) down.push_back(v);
  EXPECT_EQ(down, (std::vector<int>{4, 3, 2, 1}));
  std::vector<int> from;
  for (const auto& [k, v] : m.ascending_from(px("b"))) from.push_back(v);
  EXPECT_EQ(from, (std::vector<int>{2, 3, 4}));
  const std::vector<std::pair<posix_path, int>> more{{px("e"), 5}, {px("a"), 9}};
  const pmap added = m.add_range(more);
  EXPECT_EQ(added.get(px("a")), 9);
  EXPECT_EQ(added.size(), 5u);
  EXPECT_EQ(pmap::from_range(more).size(), 2u);
  EXPECT_EQ(m.bindings().size(), 4u);
  EXPECT_EQ(pmap::singleton(px("k"), 7).get(px("k")), 7);
  EXPECT_TRUE(m == pmap::of_list({{px("d"), 4}, {px("c"), 3}, {px("b"), 2}, {px("a"), 1}}));
  EXPECT_TRUE(equal(m, added.remove(px("e")).add(px("a"), 1), std::equal_to<>()));
  EXPECT_EQ(compare(m, added, [](int a, int b) { return a - b; }), -1);
  EXPECT_EQ(compare(m, m.remove(px("d")), [](int a, int b) { return a - b; }), 1);  // a longer map after its prefix
  EXPECT_EQ(compare(m, m.add(px("b"), 0), [](int a, int b) { return a - b; }), 1);  // then by value
  static_assert(std::is_same_v<path::map<int>, path_map<int>>);
}

TEST(PathMap, InPlaceAddsReplaceValuesOnlyWhereUnshared) {
  pmap m;
  for (int i = 0; i < 1000; ++i) m = std::move(m).add(px("k" + std::to_string(i % 300)), i);
  const pmap snapshot = m;
  m = std::move(m).add(px("k7"), -1);
  EXPECT_EQ(snapshot.get(px("k7")), 907);
  EXPECT_EQ(m.get(px("k7")), -1);
  EXPECT_EQ(m.size(), 300u);
  EXPECT_TRUE(detail::tree::valid(detail::tree::access::root(m)));
}

TEST(PathMap, ValuesNeedNotBeCopyable) {
  using owned = posix_path_map<std::unique_ptr<int>>;
  const owned m = owned().add(px("a"), std::make_unique<int>(1)).add(px("b"), std::make_unique<int>(2));
  const owned n = m.remove(px("a"));  // rebuilding nodes shares the values
  EXPECT_EQ(*m.get(px("a")), 1);
  EXPECT_EQ(*n.get(px("b")), 2);
  EXPECT_EQ(&*m.get(px("b")), &*n.get(px("b")));
}

}  // namespace
}  // namespace corso::test
