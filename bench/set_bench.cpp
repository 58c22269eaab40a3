// Path sets next to std::set<std::string> on the POSIX corpus: building by
// repeated insertion, membership, and the union of two sets of the corpus's
// size. Named BM_set_<operation>/<library>/posix; "ns/path" is per path of
// the corpus (for union, per element of the result).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <corso/corso.hpp>

#include "alloc_counter.hpp"
#include "corpus.hpp"

namespace {

using corso::posix_path;
using corso::posix_path_set;
using corso::bench::alloc_count;
using corso::bench::set_counters;

struct set_fixture {
  std::vector<posix_path> paths;     // the corpus, in its own order
  std::vector<std::string> strings;  // the same bytes, for std::set
  std::vector<std::size_t> probes;   // a shuffled order of lookups
  std::vector<posix_path> others;    // a second corpus of the same size
  std::vector<std::string> other_strings;

  set_fixture() {
    strings = corso::bench::posix_corpus();
    for (const std::string& s : strings) paths.push_back(posix_path::v(std::string_view(s)));
    other_strings = corso::bench::generate_posix_paths(strings.size(), 20261210);
    for (const std::string& s : other_strings) others.push_back(posix_path::v(std::string_view(s)));
    probes.resize(paths.size());
    for (std::size_t i = 0; i < probes.size(); ++i) probes[i] = i;
    std::shuffle(probes.begin(), probes.end(), std::mt19937(7));
  }
};

const set_fixture& fixture() {
  static const set_fixture f;
  return f;
}

// s = s.add(p): every version stays valid, so each insertion copies a path of nodes.
void BM_set_build_corso(benchmark::State& state) {
  const set_fixture& f = fixture();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    posix_path_set s;
    for (const posix_path& p : f.paths) s = s.add(p);
    benchmark::DoNotOptimize(s);
  }
  set_counters(state, f.paths.size(), alloc_count() - before);
}

// s = std::move(s).add(p): the nodes no other set shares change in place.
void BM_set_build_corso_inplace(benchmark::State& state) {
  const set_fixture& f = fixture();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    posix_path_set s;
    for (const posix_path& p : f.paths) s = std::move(s).add(p);
    benchmark::DoNotOptimize(s);
  }
  set_counters(state, f.paths.size(), alloc_count() - before);
}

void BM_set_build_std(benchmark::State& state) {
  const set_fixture& f = fixture();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    std::set<std::string> s;
    for (const std::string& p : f.strings) s.insert(p);
    benchmark::DoNotOptimize(s);
  }
  set_counters(state, f.strings.size(), alloc_count() - before);
}

void BM_set_contains_corso(benchmark::State& state) {
  const set_fixture& f = fixture();
  const posix_path_set s = posix_path_set::of_list(f.paths);
  for (auto _ : state) {
    std::size_t hits = 0;
    for (std::size_t i : f.probes) hits += s.contains(f.paths[i]);
    benchmark::DoNotOptimize(hits);
  }
  set_counters(state, f.probes.size(), 0);
}

void BM_set_contains_std(benchmark::State& state) {
  const set_fixture& f = fixture();
  const std::set<std::string> s(f.strings.begin(), f.strings.end());
  for (auto _ : state) {
    std::size_t hits = 0;
    for (std::size_t i : f.probes) hits += s.count(f.strings[i]);
    benchmark::DoNotOptimize(hits);
  }
  set_counters(state, f.probes.size(), 0);
}

void BM_set_union_corso(benchmark::State& state) {
  const set_fixture& f = fixture();
  const posix_path_set a = posix_path_set::of_list(f.paths);
  const posix_path_set b = posix_path_set::of_list(f.others);
  const std::size_t n = a.union_with(b).size();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    posix_path_set u = a.union_with(b);
    benchmark::DoNotOptimize(u);
  }
  set_counters(state, n, alloc_count() - before);
}

void BM_set_union_std(benchmark::State& state) {
  const set_fixture& f = fixture();
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

}  // namespace

BENCHMARK(BM_set_build_corso)->Name("BM_set_build/corso/posix")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_set_build_corso_inplace)->Name("BM_set_build/corso_inplace/posix")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_set_build_std)->Name("BM_set_build/std_set/posix")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_set_contains_corso)->Name("BM_set_contains/corso/posix")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_set_contains_std)->Name("BM_set_contains/std_set/posix")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_set_union_corso)->Name("BM_set_union/corso/posix")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_set_union_std)->Name("BM_set_union/std_set/posix")->Unit(benchmark::kMillisecond);
