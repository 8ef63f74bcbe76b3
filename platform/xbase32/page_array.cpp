#include "platform/xbase32/page_array.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace xb {

namespace {

struct Kept {
    void* pages;
    std::size_t mapped;
};

std::mutex g_mutex;
std::vector<Kept> g_kept;                 // guarded by g_mutex
int g_keeping = 0;                        // open KeepBuildPages scopes, guarded by g_mutex
std::atomic<std::size_t> g_keptBytes{0};  // read without the lock on every call

void UnmapKept() {
    for (const Kept& k : g_kept) {
        ::munmap(k.pages, k.mapped);
    }
    g_kept.clear();
    g_keptBytes = 0;
}

}  // namespace

KeepBuildPages::KeepBuildPages() {
    const std::lock_guard<std::mutex> lock(g_mutex);
    ++g_keeping;
}

KeepBuildPages::~KeepBuildPages() {
    const std::lock_guard<std::mutex> lock(g_mutex);
    --g_keeping;
}

void* TakeKeptPages(std::size_t bytes, std::size_t* mapped) {
    const std::lock_guard<std::mutex> lock(g_mutex);
    auto best = g_kept.end();
    for (auto it = g_kept.begin(); it != g_kept.end(); ++it) {
        if (it->mapped >= bytes && (best == g_kept.end() || it->mapped < best->mapped)) {
            best = it;
        }
    }
    if (best == g_kept.end()) {
        UnmapKept();
        return nullptr;
    }
    void* pages = best->pages;
    *mapped = best->mapped;
    g_keptBytes -= best->mapped;
    g_kept.erase(best);
    return pages;
}

bool KeepPages(void* pages, std::size_t mapped) {
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (g_keeping == 0) {
        return false;
    }
    g_kept.push_back(Kept{pages, mapped});
    g_keptBytes += mapped;
    return true;
}

void ReleaseKeptPages() {
    if (g_keptBytes.load(std::memory_order_relaxed) == 0) {
        return;
    }
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (g_keeping == 0) {
        UnmapKept();
    }
}

std::size_t KeptPageBytes() {
    return g_keptBytes.load();
}

}  // namespace xb
