#pragma once

// A large scratch array of a build, taken from the system as whole pages and handed back when
// it goes. Kept apart from the allocator, such arrays neither stay resident after a run of
// builds nor change where the allocator puts later blocks, so no trim is needed after them.

#include <sys/mman.h>

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace xb {

// While index builds follow one another, the pages one build hands back are kept for the next,
// which then writes into pages already mapped instead of faulting in fresh ones. Keeping lasts
// from a KeepBuildPages scope until the next call that is not a build (ReleaseKeptPages).
class KeepBuildPages {
  public:
    KeepBuildPages();
    ~KeepBuildPages();
    KeepBuildPages(const KeepBuildPages&) = delete;
    KeepBuildPages& operator=(const KeepBuildPages&) = delete;
};
// Kept pages of at least bytes (their whole length in *mapped), or nullptr. When none is long
// enough, every kept page goes back first, so that fresh pages never add to kept ones.
void* TakeKeptPages(std::size_t bytes, std::size_t* mapped);
// False when pages are not being kept: the caller unmaps them.
bool KeepPages(void* pages, std::size_t mapped);
// Unmaps every kept page, unless a KeepBuildPages scope is open.
void ReleaseKeptPages();
std::size_t KeptPageBytes();

template <class T>
class PageArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

  public:
    PageArray() = default;
    // n elements, every byte 0. Throws std::bad_alloc when the system has no room.
    explicit PageArray(std::size_t n) : size_(n) {
        if (n == 0) {
            return;
        }
        const std::size_t bytes = n * sizeof(T);
        if (void* kept = TakeKeptPages(bytes, &mapped_)) {
            std::memset(kept, 0, bytes);
            data_ = static_cast<T*>(kept);
            return;
        }
        void* p =
            ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) {
            throw std::bad_alloc();
        }
        data_ = static_cast<T*>(p);
        mapped_ = bytes;
    }
    ~PageArray() { Reset(); }
    PageArray(PageArray&& o) noexcept
        : data_(std::exchange(o.data_, nullptr)),
          size_(std::exchange(o.size_, 0)),
          mapped_(std::exchange(o.mapped_, 0)) {}
    PageArray& operator=(PageArray&& o) noexcept {
        if (this != &o) {
            Reset();
            data_ = std::exchange(o.data_, nullptr);
            size_ = std::exchange(o.size_, 0);
            mapped_ = std::exchange(o.mapped_, 0);
        }
        return *this;
    }
    PageArray(const PageArray&) = delete;
    PageArray& operator=(const PageArray&) = delete;

    T* data() { return data_; }
    const T* data() const { return data_; }
    std::size_t size() const { return size_; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }

    void Reset() {
        if (data_ != nullptr && !KeepPages(data_, mapped_)) {
            ::munmap(data_, mapped_);
        }
        data_ = nullptr;
        size_ = 0;
        mapped_ = 0;
    }

  private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t mapped_ = 0;  // may exceed size_ when kept pages were taken
};

}  // namespace xb
