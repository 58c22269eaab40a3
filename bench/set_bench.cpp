// Path sets and maps next to std::set<std::string> and std::map<std::string,
// int> on the corpus of each syntax: building by repeated insertion,
// membership, the union of two sets of the corpus's size, iteration, and a
// map's lookups. Named BM_set_<operation>/<library>/<syntax> and
// BM_map_<operation>/...; "ns/path" is per path of the corpus (for union,
// per element of the result).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <corso/corso.hpp>

#include "alloc_counter.hpp"
#include "corpus.hpp"

namespace {

using corso::bench::alloc_count;
using corso::bench::set_counters;

template <corso::path_syntax S>
struct set_fixture {
  std::vector<corso::basic_path<S>> paths;   // the corpus, in its own order
  std::vector<std::string> strings;          // the same bytes, for std::set
  std::vector<std::size_t> probes;           // a shuffled order of lookups
  std::vector<corso::basic_path<S>> others;  // a second corpus of the same size
  std::vector<std::string> other_strings;

  set_fixture() {
    strings = S::is_windows ? corso::bench::windows_corpus() : corso::bench::posix_corpus();
    for (const std::string& s : strings) paths.push_back(corso::basic_path<S>::v(std::string_view(s)));
    other_strings = corso::bench::generate_posix_paths(strings.size(), 20261210);
    if constexpr (S::is_windows) {
      for (std::string& s : other_strings) s = corso::bench::to_windows_path(s, 20261210);
    }
    for (const std::string& s : other_strings) others.push_back(corso::basic_path<S>::v(std::string_view(s)));
    // Paths the way the collections hold them: each once, as parsed.
    for (std::size_t i = 0; i < strings.size(); ++i) strings[i] = paths[i].to_string();
    for (std::size_t i = 0; i < other_strings.size(); ++i) other_strings[i] = others[i].to_string();
    probes.resize(paths.size());
    for (std::size_t i = 0; i < probes.size(); ++i) probes[i] = i;
    std::shuffle(probes.begin(), probes.end(), std::mt19937(7));
  }
};

template <corso::path_syntax S>
const set_fixture<S>& fixture() {
  static const set_fixture<S> f;
  return f;
}

// s = s.add(p): every version stays valid, so each insertion copies a path of nodes.
template <corso::path_syntax S>
void set_build_corso(benchmark::State& state) {
  const auto& f = fixture<S>();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    corso::basic_path_set<S> s;
    for (const auto& p : f.paths) s = s.add(p);
    benchmark::DoNotOptimize(s);
  }
  set_counters(state, f.paths.size(), alloc_count() - before);
}

// s = std::move(s).add(p): the nodes no other set shares change in place.
template <corso::path_syntax S>
void set_build_corso_inplace(benchmark::State& state) {
  const auto& f = fixture<S>();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    corso::basic_path_set<S> s;
    for (const auto& p : f.paths) s = std::move(s).add(p);
    benchmark::DoNotOptimize(s);
  }
  set_counters(state, f.paths.size(), alloc_count() - before);
}

template <corso::path_syntax S>
void set_build_std(benchmark::State& state) {
  const auto& f = fixture<S>();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    std::set<std::string> s;
    for (const std::string& p : f.strings) s.insert(p);
    benchmark::DoNotOptimize(s);
  }
  set_counters(state, f.strings.size(), alloc_count() - before);
}

template <corso::path_syntax S>
void set_contains_corso(benchmark::State& state) {
  const auto& f = fixture<S>();
  const auto s = corso::basic_path_set<S>::of_list(f.paths);
  for (auto _ : state) {
    std::size_t hits = 0;
    for (std::size_t i : f.probes) hits += s.contains(f.paths[i]);
    benchmark::DoNotOptimize(hits);
  }
  set_counters(state, f.probes.size(), 0);
}

template <corso::path_syntax S>
void set_contains_std(benchmark::State& state) {
  const auto& f = fixture<S>();
  const std::set<std::string> s(f.strings.begin(), f.strings.end());
  for (auto _ : state) {
    std::size_t hits = 0;
    for (std::size_t i : f.probes) hits += s.count(f.strings[i]);
    benchmark::DoNotOptimize(hits);
  }
  set_counters(state, f.probes.size(), 0);
}

template <corso::path_syntax S>
void set_union_corso(benchmark::State& state) {
  const auto& f = fixture<S>();
  const auto a = corso::basic_path_set<S>::of_list(f.paths);
  const auto b = corso::basic_path_set<S>::of_list(f.others);
  const std::size_t n = a.union_with(b).size();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    auto u = a.union_with(b);
    benchmark::DoNotOptimize(u);
  }
  set_counters(state, n, alloc_count() - before);
}

template <corso::path_syntax S>
void set_union_std(benchmark::State& state) {
  const auto& f = fixture<S>();
  const std::set<std::string> a(f.strings.begin(), f.strings.end());
  const std::set<std::string> b(f.other_strings.begin(), f.other_strings.end());
  std::size_t n = 0;
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    std::set<std::string> u;
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::inserter(u, u.end()));
    n = u.size();
    benchmark::DoNotOptimize(u);
  }
  set_counters(state, n, alloc_count() - before);
}

// Every element in order, its bytes touched as a reader of them would.
template <class Collection, class Bytes>
void iterate(benchmark::State& state, const Collection& c, Bytes bytes) {
  for (auto _ : state) {
    std::size_t sum = 0;
    for (const auto& x : c) sum += bytes(x).size();
    benchmark::DoNotOptimize(sum);
  }
  set_counters(state, c.size(), 0);
}

template <corso::path_syntax S>
void set_iterate_corso(benchmark::State& state) {
  iterate(state, corso::basic_path_set<S>::of_list(fixture<S>().paths), [](const auto& p) { return p.view(); });
}

template <corso::path_syntax S>
void set_iterate_std(benchmark::State& state) {
  const auto& f = fixture<S>();
  iterate(state, std::set<std::string>(f.strings.begin(), f.strings.end()),
          [](const std::string& s) -> std::string_view { return s; });
}

template <corso::path_syntax S>
corso::basic_path_map<S, int> corso_map() {
  const auto& f = fixture<S>();
  std::vector<std::pair<corso::basic_path<S>, int>> pairs;
  for (std::size_t i = 0; i < f.paths.size(); ++i) pairs.emplace_back(f.paths[i], static_cast<int>(i));
  return corso::basic_path_map<S, int>::of_list(pairs);
}

template <corso::path_syntax S>
std::map<std::string, int> std_map() {
  const auto& f = fixture<S>();
  std::map<std::string, int> m;
  for (std::size_t i = 0; i < f.strings.size(); ++i) m.insert_or_assign(f.strings[i], static_cast<int>(i));
  return m;
}

template <corso::path_syntax S>
void map_build_corso(benchmark::State& state) {
  const auto& f = fixture<S>();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    corso::basic_path_map<S, int> m;
    for (std::size_t i = 0; i < f.paths.size(); ++i) m = std::move(m).add(f.paths[i], static_cast<int>(i));
    benchmark::DoNotOptimize(m);
  }
  set_counters(state, f.paths.size(), alloc_count() - before);
}

template <corso::path_syntax S>
void map_build_std(benchmark::State& state) {
  const auto& f = fixture<S>();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    std::map<std::string, int> m;
    for (std::size_t i = 0; i < f.strings.size(); ++i) m.insert_or_assign(f.strings[i], static_cast<int>(i));
    benchmark::DoNotOptimize(m);
  }
  set_counters(state, f.strings.size(), alloc_count() - before);
}

template <corso::path_syntax S>
void map_find_corso(benchmark::State& state) {
  const auto& f = fixture<S>();
  const auto m = corso_map<S>();
  for (auto _ : state) {
    long sum = 0;
    for (std::size_t i : f.probes) sum += m.find(f.paths[i])->second;
    benchmark::DoNotOptimize(sum);
  }
  set_counters(state, f.probes.size(), 0);
}

template <corso::path_syntax S>
void map_find_std(benchmark::State& state) {
  const auto& f = fixture<S>();
  const auto m = std_map<S>();
  for (auto _ : state) {
    long sum = 0;
    for (std::size_t i : f.probes) sum += m.find(f.strings[i])->second;
    benchmark::DoNotOptimize(sum);
  }
  set_counters(state, f.probes.size(), 0);
}

template <corso::path_syntax S>
void map_iterate_corso(benchmark::State& state) {
  iterate(state, corso_map<S>(), [](const auto& b) { return b.first.view(); });
}

template <corso::path_syntax S>
void map_iterate_std(benchmark::State& state) {
  iterate(state, std_map<S>(), [](const auto& b) -> std::string_view { return b.first; });
}

template <corso::path_syntax S>
void add_all(const char* syntax) {
  const auto add = [syntax](const char* op, const char* lib, void (*f)(benchmark::State&)) {
    benchmark::RegisterBenchmark((std::string("BM_") + op + "/" + lib + "/" + syntax).c_str(), f)
        ->Unit(benchmark::kMillisecond);
  };
  add("set_build", "corso", set_build_corso<S>);
  add("set_build", "corso_inplace", set_build_corso_inplace<S>);
  add("set_build", "std_set", set_build_std<S>);
  add("set_contains", "corso", set_contains_corso<S>);
  add("set_contains", "std_set", set_contains_std<S>);
  add("set_union", "corso", set_union_corso<S>);
  add("set_union", "std_set", set_union_std<S>);
  add("set_iterate", "corso", set_iterate_corso<S>);
  add("set_iterate", "std_set", set_iterate_std<S>);
  add("map_build", "corso_inplace", map_build_corso<S>);
  add("map_build", "std_map", map_build_std<S>);
  add("map_find", "corso", map_find_corso<S>);
  add("map_find", "std_map", map_find_std<S>);
  add("map_iterate", "corso", map_iterate_corso<S>);
  add("map_iterate", "std_map", map_iterate_std<S>);
}

}  // namespace

void corso::bench::add_set_benchmarks() {
  add_all<corso::posix_syntax>("posix");
  add_all<corso::windows_syntax>("windows");
}
