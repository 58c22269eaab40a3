// The count of the global operator new calls made by this thread.
#pragma once

#include <cstdint>

namespace corso::bench {

// Every allocation through operator new (and the new[] and nothrow forms,
// which call it) made by the calling thread since it started.
[[nodiscard]] std::uint64_t alloc_count() noexcept;

}  // namespace corso::bench
