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

    bool Covers(uint64_t at, std::size_t n) const { return at <= length_ && n <= length_ - at; }

    // Copies [at, at + n) into out. False when the view does not cover it, or when the file
    // turned out shorter there (another program cut it): the caller then reads with a system
    // call, which reports that as an error instead of ending the process.
    bool Read(uint64_t at, std::size_t n, void* out) const;

  private:
    const char* base_ = nullptr;
    std::size_t length_ = 0;
};

}  // namespace xb
