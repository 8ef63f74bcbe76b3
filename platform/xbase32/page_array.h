#pragma once

// A large scratch array of a build, taken from the system as whole pages and handed back when
// it goes. Kept apart from the allocator, such arrays neither stay resident after a build nor
// change where the allocator puts later blocks, so no trim is needed after them.

#include <sys/mman.h>

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

namespace xb {

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
        void* p = ::mmap(nullptr, n * sizeof(T), PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) {
            throw std::bad_alloc();
        }
        data_ = static_cast<T*>(p);
    }
    ~PageArray() { Reset(); }
    PageArray(PageArray&& o) noexcept
        : data_(std::exchange(o.data_, nullptr)), size_(std::exchange(o.size_, 0)) {}
    PageArray& operator=(PageArray&& o) noexcept {
        if (this != &o) {
            Reset();
            data_ = std::exchange(o.data_, nullptr);
            size_ = std::exchange(o.size_, 0);
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
        if (data_ != nullptr) {
            ::munmap(data_, size_ * sizeof(T));
        }
        data_ = nullptr;
        size_ = 0;
    }

  private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace xb
