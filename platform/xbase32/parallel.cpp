#include "platform/xbase32/parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace xb {

namespace {

// Builds run while the windows wait for them; beyond eight threads the passes are bound by
// memory, not cores.
constexpr unsigned kMaxThreads = 8;

// Work that a piece starts runs on that piece's own thread: the pool never grows past its size.
thread_local bool t_inPiece = false;

}  // namespace

void ParallelFor(std::size_t n, const std::function<void(std::size_t)>& work) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const auto threads = static_cast<std::size_t>(std::min({kMaxThreads, cores}));
    if (n <= 1 || threads <= 1 || t_inPiece) {
        for (std::size_t i = 0; i < n; ++i) {
            work(i);
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::mutex failedMutex;
    std::exception_ptr failed;
    auto run = [&] {
        const bool outer = t_inPiece;
        t_inPiece = true;
        for (std::size_t i = next++; i < n; i = next++) {
            try {
                work(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failedMutex);
                if (!failed) {
                    failed = std::current_exception();
                }
            }
        }
        t_inPiece = outer;
    };
    std::vector<std::thread> pool;
    const std::size_t helpers = std::min(threads, n) - 1;
    pool.reserve(helpers);
    try {
        for (std::size_t t = 0; t < helpers; ++t) {
            pool.emplace_back(run);
        }
    } catch (...) {
        // Fewer threads than asked: the ones there and this one share the work.
    }
    run();
    for (std::thread& t : pool) {
        t.join();
    }
    if (failed) {
        std::rethrow_exception(failed);
    }
}

}  // namespace xb
