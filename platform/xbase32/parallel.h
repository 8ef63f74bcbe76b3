#pragma once

#include <cstddef>
#include <functional>

namespace xb {

// Runs work(0) .. work(n - 1) on a few threads (the caller's among them) and returns once all
// are done; no thread outlives the call. The first exception a piece throws is rethrown here.
// Pieces must not share mutable state.
void ParallelFor(std::size_t n, const std::function<void(std::size_t)>& work);

}  // namespace xb
