#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <set>

#include "test_util.hpp"
#include "tree_check.hpp"

namespace corso::test {
namespace {

using pset = posix_path_set;
using strings = std::vector<std::string>;

pset of(std::initializer_list<const char*> paths) {
  std::vector<posix_path> v;
  for (const char* p : paths) v.push_back(px(p));
  return pset::of_list(v);
}

strings texts(const pset& s) {
  strings out;
  for (const posix_path& p : s) out.push_back(p.to_string());
  return out;
}

std::string dumped(const pset& s, int margin = formatter::default_margin) {
  formatter f(margin);
  s.dump(f);
  return f.str();
}

TEST(PathSet, AccessorsOnASmallSet) {
  const pset s = of({"b", "a/c", "a"});
  EXPECT_EQ(texts(s), (strings{"a", "a/c", "b"}));  // byte order: a < a/c < b
  EXPECT_EQ(s.size(), 3u);
  EXPECT_EQ(s.min_elt(), px("a"));
  EXPECT_EQ(s.choose(), px("a"));
  EXPECT_EQ(s.max_elt(), px("b"));
  EXPECT_EQ(s.get_min_elt(), px("a"));
  EXPECT_EQ(s.get_max_elt(), px("b"));
  EXPECT_EQ(s.get_any_elt(), px("a"));
  EXPECT_EQ(&s.front(), &*s.begin());  // a reference into the set, as std's
  EXPECT_EQ(&s.back(), &*s.rbegin());
  EXPECT_EQ(s.front(), px("a"));
  EXPECT_EQ(s.back(), px("b"));
  EXPECT_EQ(s.some(), px("a"));
  EXPECT_EQ(s.get(px("a/c")), px("a/c"));
  EXPECT_EQ(*s.find(px("a/c")), px("a/c"));
  EXPECT_EQ(std::next(s.find(px("a/c"))), std::prev(s.end()));  // iterates on from there
  EXPECT_EQ(s.find(px("a/")), s.end());
  EXPECT_EQ(s.find(px("c")), s.end());
  EXPECT_EQ(s.lookup(px("a/./c")), std::nullopt);  // never normalized
  EXPECT_EQ(invalid_argument_message([&] { (void)s.get(px("z")); }), R"("z" not in set {"a" "a/c" "b"})");
  EXPECT_EQ(of({"a", "a", "b", "a"}).size(), 2u);
}

TEST(PathSet, TheEmptySetRaisesOrGivesNothing) {
  const pset e;
  EXPECT_TRUE(e.empty());
  for (auto get : {&pset::get_min_elt, &pset::get_max_elt, &pset::get_any_elt}) {
    EXPECT_EQ(invalid_argument_message([&] { (void)(e.*get)(); }), "empty set");
  }
  EXPECT_EQ(e.min_elt(), std::nullopt);
  EXPECT_EQ(e.max_elt(), std::nullopt);
  EXPECT_EQ(e.choose(), std::nullopt);
  EXPECT_EQ(e.find(px("a")), e.end());
  for (auto get : {&pset::front, &pset::back}) {
    EXPECT_EQ(exception_message<std::out_of_range>([&] { (void)(e.*get)(); }), "empty set");
  }
  EXPECT_EQ(dumped(e), "{}");
  EXPECT_EQ(e.begin(), e.end());
}

TEST(PathSet, MonotonePredicateSearches) {
  const pset s = of({"a", "b", "c", "d"});
  const auto at_least = [](const char* q) { return [q](const posix_path& p) { return p >= px(q); }; };
  const auto at_most = [](const char* q) { return [q](const posix_path& p) { return p <= px(q); }; };
  EXPECT_EQ(s.get_first_where(at_least("b")), px("b"));
  EXPECT_EQ(s.first_where(at_least("bb")), px("c"));
  EXPECT_EQ(s.first_where(at_least("e")), std::nullopt);
  EXPECT_THROW((void)s.get_first_where(at_least("e")), not_found);
  EXPECT_EQ(s.get_last_where(at_most("c")), px("c"));
  EXPECT_EQ(s.last_where(at_most("bb")), px("b"));
  EXPECT_THROW((void)s.get_last_where(at_most("0")), not_found);
}

TEST(PathSet, Printers) {
  const pset ab = of({"a", "b"});
  EXPECT_EQ(dumped(ab), R"({"a" "b"})");
  const auto plain = [](formatter& f, const posix_path& p) { pp(f, p); };
  EXPECT_EQ(print_to_string([&](formatter& f) { ab.pp(f, plain); }), "ab");
  EXPECT_EQ(print_to_string([&](formatter& f) { ab.pp(f, plain, [](formatter& g) { g.text(", "); }); }), "a, b");
  std::ostringstream os;
  os << of({"x y", "q\""});
  EXPECT_EQ(os.str(), R"({"q\"" "x y"})");

  // A long set wraps at the margin, continuation lines indented by one.
  std::vector<posix_path> many;
  for (int i = 0; i < 40; ++i) many.push_back(px("/usr/share/doc/package-" + std::to_string(100 + i)));
  std::ostringstream one_line;  // operator<< writes a log line: no margin
  one_line << pset::of_list(many);
  EXPECT_EQ(one_line.str().find('\n'), std::string::npos);
  EXPECT_GT(one_line.str().size(), 1000U);
  const std::string out = dumped(pset::of_list(many));
  std::size_t lines = 0;
  for (std::size_t start = 0; start < out.size(); ++lines) {
    const std::size_t end = std::min(out.find('\n', start), out.size());
    EXPECT_LE(end - start, 78u);
    if (start > 0) {
      EXPECT_EQ(out[start], ' ');
    }
    start = end + 1;
  }
  EXPECT_GT(lines, 10u);
  std::string joined = out;
  std::erase(joined, '\n');
  EXPECT_EQ(joined.find("  "), std::string::npos);  // a break is a space or a line break, never both
  const std::string message = invalid_argument_message([&] { (void)pset::of_list(many).get(px("/z")); });
  EXPECT_TRUE(message.starts_with(R"("/z" not in set {"/usr/share/doc/package-100")"));
  EXPECT_NE(message.find('\n'), std::string::npos);
}

TEST(PathSet, RangesAndIterators) {
  const pset s = of({"a", "b", "c", "d"});
  EXPECT_EQ(std::distance(std::ranges::begin(s), std::ranges::end(s)), 4);
  EXPECT_EQ(*std::find(std::ranges::begin(s), std::ranges::end(s), px("c")), px("c"));
  strings down;
  for (auto it = s.end(); it != s.begin();) down.push_back((--it)->to_string());
  EXPECT_EQ(down, (strings{"d", "c", "b", "a"}));
  down.clear();
  for (const posix_path& p : of({"a", "b", "c", "d"}).descending()) down.push_back(p.to_string());  // from a temporary
  EXPECT_EQ(down, (strings{"d", "c", "b", "a"}));
  strings from;
  for (const posix_path& p : s.ascending_from(px("bb"))) from.push_back(p.to_string());
  EXPECT_EQ(from, (strings{"c", "d"}));
  EXPECT_EQ(std::vector<posix_path>(s.ascending().begin(), s.ascending().end()), s.elements());
  const std::list<posix_path> more{px("e"), px("a")};
  EXPECT_EQ(texts(s.add_range(more)), (strings{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(pset::from_range(more), of({"a", "e"}));
  static_assert(std::bidirectional_iterator<pset::iterator>);
  static_assert(std::ranges::bidirectional_range<pset>);
}

// A set and a std::set of the same strings agree on every member.
void check_against_model(const pset& s, const std::set<std::string>& m) {
  ASSERT_TRUE(detail::tree::valid(detail::tree::access::root(s)));
  ASSERT_EQ(s.size(), m.size());
  ASSERT_EQ(texts(s), strings(m.begin(), m.end()));
}

TEST(PathSet, AgreesWithStdSetAndKeepsOldVersions) {
  path_generator gen(11);
  std::mt19937 rng(3);
  std::vector<std::pair<pset, std::set<std::string>>> versions{{pset(), {}}};
  for (int step = 0; step < 3000; ++step) {
    const auto& [s, m] = versions[rng() % versions.size()];
    const posix_path p = px(gen.posix());
    pset next;
    std::set<std::string> model = m;
    switch (rng() % 6) {
      case 0:
      case 1:
      case 2:
        next = s.add(p);
        model.insert(p.to_string());
        EXPECT_TRUE(next.contains(p));
        if (m.contains(p.to_string())) {
          EXPECT_EQ(detail::tree::access::root(next), detail::tree::access::root(s));  // shared, not rebuilt
        }
        break;
      case 3: {
        const posix_path victim = s.empty() || rng() % 2 ? p : s.get_min_elt();
        next = s.remove(victim);
        model.erase(victim.to_string());
        EXPECT_FALSE(next.contains(victim));
        break;
      }
      default: {
        const auto& [t, n] = versions[rng() % versions.size()];
        std::set<std::string> u, i, d;
        std::set_union(m.begin(), m.end(), n.begin(), n.end(), std::inserter(u, u.end()));
        std::set_intersection(m.begin(), m.end(), n.begin(), n.end(), std::inserter(i, i.end()));
        std::set_difference(m.begin(), m.end(), n.begin(), n.end(), std::inserter(d, d.end()));
        check_against_model(s.union_with(t), u);
        check_against_model(s.intersection(t), i);
        check_against_model(s.difference(t), d);
        EXPECT_EQ(s.disjoint(t), i.empty());
        EXPECT_EQ(s.subset_of(t), std::includes(n.begin(), n.end(), m.begin(), m.end()));
        EXPECT_EQ(s == t, m == n);
        EXPECT_EQ(compare(s, t), m < n ? -1 : (m == n ? 0 : 1));
        next = s.union_with(t);
        model = u;
      }
    }
    check_against_model(next, model);
    versions.emplace_back(next, model);
  }
  for (const auto& [s, m] : versions) check_against_model(s, m);  // persistence
}

// Adding to an rvalue changes in place only the nodes no other set shares:
// snapshots taken along the way keep their elements.
TEST(PathSet, InPlaceAddsLeaveSharedNodesAlone) {
  path_generator gen(13);
  pset s;
  std::set<std::string> model;
  std::vector<std::pair<pset, std::set<std::string>>> snapshots;
  for (int i = 0; i < 5000; ++i) {
    const posix_path p = px(gen.posix());
    s = std::move(s).add(p);
    model.insert(p.to_string());
    if (i % 250 == 0) snapshots.emplace_back(s, model);
  }
  check_against_model(s, model);
  for (const auto& [snapshot, m] : snapshots) check_against_model(snapshot, m);
  pset shared = s;
  const pset grown = std::move(shared).add(px("/zzz"));  // the root has two owners: copied
  EXPECT_FALSE(s.contains(px("/zzz")));
  EXPECT_TRUE(grown.contains(px("/zzz")));
}

TEST(PathSet, ElementwiseMembersFollowTheOrder) {
  const pset s = of({"a/x.c", "b", "a/y.h", "c.c", "/d"});
  const auto is_c = [](const posix_path& p) { return get_ext(p) == ".c"; };
  EXPECT_EQ(texts(s.filter(is_c)), (strings{"a/x.c", "c.c"}));
  const auto [yes, no] = s.partition(is_c);
  EXPECT_EQ(texts(yes), (strings{"a/x.c", "c.c"}));
  EXPECT_EQ(texts(no), (strings{"/d", "a/y.h", "b"}));
  EXPECT_EQ(texts(s.map([](const posix_path& p) { return parent(p); })), (strings{"./", "/", "a/"}));
  EXPECT_EQ(texts(s.filter_map([](const posix_path& p) { return rem_prefix(px("a"), p); })), (strings{"x.c", "y.h"}));
  EXPECT_EQ(s.fold([](std::string acc, const posix_path& p) { return acc + p.to_string() + ";"; }, std::string()),
            "/d;a/x.c;a/y.h;b;c.c;");
  EXPECT_TRUE(s.any_of(is_c));
  EXPECT_FALSE(s.all_of(is_c));
  strings seen;
  s.for_each([&](const posix_path& p) { seen.push_back(p.to_string()); });
  EXPECT_EQ(seen, texts(s));
  const auto [less, present, greater] = s.split(px("b"));
  EXPECT_EQ(texts(less), (strings{"/d", "a/x.c", "a/y.h"}));
  EXPECT_TRUE(present);
  EXPECT_EQ(texts(greater), (strings{"c.c"}));
  EXPECT_FALSE(s.split(px("bb")).present);
  EXPECT_EQ(pset::singleton(px("q")).elements(), std::vector<posix_path>{px("q")});
}

TEST(PathSet, HostAndNestedNames) {
  static_assert(std::is_same_v<path::set, path_set>);
  static_assert(std::is_same_v<windows_path::set, windows_path_set>);
  const windows_path_set w = windows_path_set::of_list({wn("C:/a"), wn(R"(C:\a)"), wn("c:/a")});
  EXPECT_EQ(w.size(), 2u);
  EXPECT_EQ(print_to_string([&](formatter& f) { w.dump(f); }), R"({"C:\\a" "c:\\a"})");
}

}  // namespace
}  // namespace corso::test
