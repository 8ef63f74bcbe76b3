#include "platform/xbase32/file_map.h"

#include <sys/mman.h>

#include <utility>

namespace xb {

FileMap::FileMap(FileMap&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)), length_(std::exchange(other.length_, 0)) {}

FileMap& FileMap::operator=(FileMap&& other) noexcept {
    if (this != &other) {
        FileMap gone(std::move(*this));
        base_ = std::exchange(other.base_, nullptr);
        length_ = std::exchange(other.length_, 0);
    }
    return *this;
}

FileMap::~FileMap() {
    if (base_ != nullptr) {
        ::munmap(const_cast<char*>(base_), length_);
    }
}

FileMap FileMap::Of(int fd, std::size_t length) {
    FileMap m;
    if (length == 0) {
        return m;
    }
    void* p = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) {
        return m;
    }
    m.base_ = static_cast<const char*>(p);
    m.length_ = length;
    return m;
}

}  // namespace xb
