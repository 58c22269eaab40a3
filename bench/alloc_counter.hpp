// The count of the global operator new calls made by this thread, and the
// per-path counters every benchmark reports.
#pragma once

#include <cstddef>
#include <cstdint>

#include <benchmark/benchmark.h>

namespace corso::bench {

// Every allocation through operator new (and the new[] and nothrow forms,
// which call it) made by the calling thread since it started.
[[nodiscard]] std::uint64_t alloc_count() noexcept;

// The counters of a benchmark that processed `per_iteration` paths in each
// iteration and made `allocs` allocations in all: "ns/path" (a rate scaled
// by 1e-9 so that its inverse reads in nanoseconds) and "allocs/path".
inline void set_counters(benchmark::State& state, std::size_t per_iteration, std::uint64_t allocs) {
  const double n = static_cast<double>(per_iteration);
  state.counters["ns/path"] =
      benchmark::Counter(n * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["allocs/path"] = static_cast<double>(allocs) / (n * static_cast<double>(state.iterations()));
}

}  // namespace corso::bench
