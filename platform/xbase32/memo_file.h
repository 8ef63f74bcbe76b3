#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/xbase32/file_io.h"

namespace xb {

// The FPT memo file beside a table: a 512-byte header (next free block, block size), then
// memos, each starting on a block with its type and length before the data.
class MemoFile {
  public:
    static constexpr int kHeaderSize = 512;
    static constexpr int kDefaultBlockSize = 64;
    static constexpr uint32_t kTypeText = 1;

    // Writes an empty memo file (an existing one is replaced).
    static void Create(const std::string& path, int blockSize);
    // The bytes of such an empty file.
    static std::string EmptyImage(int blockSize);
    // Throws xb::Error when the header is missing or states block size 0.
    static MemoFile Open(const std::string& path, bool writable);

    int BlockSize() const { return blockSize_; }
    const std::string& Path() const { return file_.Path(); }

    // Block 0 is no memo. A pointer into the header or past the end, or a length past the
    // end, throws before anything is allocated.
    std::string Read(uint32_t block) const;
    uint32_t Length(uint32_t block) const;
    // Length and, when it came with the same read, the whole memo.
    std::optional<std::string> ReadShort(uint32_t block, uint32_t* length) const;

    // Appends data in new blocks; returns the first one. Another writer of the file must
    // be kept out by the caller (the table's memo lock), since the next free block is
    // taken from the header on disk. A failed write leaves the file as it was.
    uint32_t Write(std::string_view data);

    // Empties the file, with a new block size.
    void Reset(int blockSize);
    void Sync() { file_.Sync(); }
    // Whether the file holds exactly these bytes.
    bool Holds(std::string_view bytes) const;

  private:
    // Whether the file reaches end; asks the file only when the size last seen is too small
    // (while it is open, the file only grows).
    bool Reaches(uint64_t end) const;
    uint64_t CheckedStart(uint32_t block, uint32_t* length) const;

    File file_;
    int blockSize_ = kDefaultBlockSize;
    mutable uint64_t seenSize_ = 0;
};

}  // namespace xb
