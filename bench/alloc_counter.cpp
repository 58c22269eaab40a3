// The replaced global allocation functions of the benchmark binary: they
// count, then defer to malloc and free.
#include "alloc_counter.hpp"

#include <cstdlib>
#include <new>

namespace {
// Per thread, so that counting costs no atomic operation: an atomic add
// would cost as much as a small allocation and slow the peers that allocate
// most. The benchmarks run on the thread that reads the count.
constinit thread_local std::uint64_t allocations = 0;
}  // namespace

std::uint64_t corso::bench::alloc_count() noexcept { return allocations; }

// The array and nothrow forms, and the sized deletes, call these by default.
void* operator new(std::size_t n) {
  ++allocations;
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
