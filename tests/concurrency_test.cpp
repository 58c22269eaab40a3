#include <gtest/gtest.h>

#include <thread>

#include "test_util.hpp"

namespace corso::test {
namespace {

// Threads read, copy and build from one set and one map while others drop
// their copies, and call the path operations on shared paths: the reference
// counts are the only shared writes. The tsan preset runs it under
// ThreadSanitizer, which would see a race.
TEST(Concurrency, ThreadsShareSetsMapsAndPaths) {
  path_generator gen(21);
  posix_path_set shared;
  posix_path_map<int> shared_map;
  std::vector<posix_path> paths;
  for (int i = 0; i < 2000; ++i) {
    paths.push_back(px(gen.posix()));
    shared = shared.add(paths.back());
    shared_map = shared_map.add(paths.back(), i);
  }
  std::vector<std::thread> threads;
  std::vector<std::size_t> results(8);
  for (std::size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&, t] {
      posix_path_set mine = shared;  // a copy shares every node
      std::size_t seen = 0;
      for (int round = 0; round < 20; ++round) {
        for (const posix_path& p : shared) seen += p.view().size();
        mine = t % 2 ? mine.remove(paths[round * 7 % paths.size()]) : mine.add(normalize(paths[round]));
        const posix_path_set other = shared.filter([&](const posix_path& p) { return p.view().size() % 8 == t; });
        seen += mine.union_with(other).size() + shared.intersection(mine).size();
        seen += shared_map.lookup(paths[round]).value_or(0) + shared_map.dom().size();
        for (const posix_path& p : paths) {
          seen += is_rooted(paths[0], p) + relativize(p, paths[round]).has_value() + is_prefix(paths[round], p);
          seen += get_ext(p, {.multi_ext = true}).size() + rem_ext(p).view().size() + parent(p).view().size();
          seen += find_prefix(p, paths[round]).has_value() + split_base(p).second.view().size();
        }
        const windows_path w = windows_path::v("C:/srv/" + paths[round].to_string());
        seen += normalize(w).view().size() + (w + "txt").view().size() + split_volume(w).first.size();
        seen += print_to_string([&](formatter& f) { shared.dump(f); }).size();
        const posix_path_map<int> grown = shared_map.add(paths[round], round).remove(paths[round * 3 % paths.size()]);
        seen += grown.size() +
                shared_map.union_with(grown, [](const posix_path&, int a, int) { return std::optional(a); }).size();
      }
      results[t] = seen + mine.size();
    });
  }
  for (std::thread& t : threads) t.join();
  for (std::size_t r : results) EXPECT_GT(r, 0u);
  EXPECT_EQ(shared.size(), posix_path_set::of_list(paths).size());
}

}  // namespace
}  // namespace corso::test
