#pragma once

#include <cstddef>
#include <cstdint>

namespace xb {

// A read-only view of a file's bytes shared with the page cache, so that reading what this or
// another process wrote needs no system call. The view may reach past the file's end to leave
// room for growth; only bytes the file is known to hold may be read through it.
class FileMap {
  public:
    FileMap() = default;
    FileMap(const FileMap&) = delete;
    FileMap& operator=(const FileMap&) = delete;
    FileMap(FileMap&& other) noexcept;
    FileMap& operator=(FileMap&& other) noexcept;
    ~FileMap();

    // Maps length bytes of fd from its start. Empty when the file cannot be mapped; callers
    // then read with system calls.
    static FileMap Of(int fd, std::size_t length);

    std::size_t Length() const { return length_; }
    bool Covers(uint64_t at, std::size_t n) const { return at <= length_ && n <= length_ - at; }
    const char* At(uint64_t at) const { return base_ + at; }

  private:
    const char* base_ = nullptr;
    std::size_t length_ = 0;
};

}  // namespace xb
