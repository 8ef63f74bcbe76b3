#pragma once

// An in-memory index: (key bytes, record number) entries in key order, equal keys by record
// number. A descending index reverses that whole order. Positions are 0 .. Size() in the
// index's own order; Size() stands past the last entry.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace xb {

struct KeyEntry {
    std::string_view key;  // valid until the index changes
    uint32_t recno = 0;
};

// Positions [first, last) in index order.
struct KeyRange {
    std::size_t first = 0;
    std::size_t last = 0;
};

class KeyIndex {
  public:
    // Throws std::invalid_argument for a key length of 0.
    KeyIndex(std::size_t keyLength, bool descending);

    std::size_t KeyLength() const { return keyLength_; }
    bool Descending() const { return descending_; }
    std::size_t Size() const { return size_; }

    // Replaces the contents: keys holds recnos.size() keys of KeyLength() bytes, one after the
    // other. Sorts once; a repeated (key, record) pair is kept once.
    void Build(std::string_view keys, std::span<const uint32_t> recnos);
    void Clear();

    // Keys must be KeyLength() bytes (std::invalid_argument otherwise). False when the entry
    // was already there (Insert) or not there (Erase).
    bool Insert(std::string_view key, uint32_t recno);
    bool Erase(std::string_view key, uint32_t recno);
    // Erase of the old entry (true when it was there) and insert of the new one.
    bool Update(std::string_view oldKey, std::string_view newKey, uint32_t recno);
    // Erases a record whose key is not known; walks the whole index.
    bool EraseRecord(uint32_t recno);

    KeyEntry At(std::size_t position) const;  // position < Size()
    std::optional<std::size_t> PositionOf(std::string_view key, uint32_t recno) const;
    // First position whose entry does not come before (key, recno) in index order: where the
    // entry stands or would stand.
    std::size_t LowerBound(std::string_view key, uint32_t recno) const;

    // First position whose key does not come before key in index order; a key shorter than
    // KeyLength() is a prefix (only as many bytes take part). Size() when there is none.
    std::size_t Seek(std::string_view key) const;
    // The entry at position starts with key (false past the end).
    bool KeyMatches(std::size_t position, std::string_view key) const;

    // Entries from top to bottom in index order, both ends included and compared as prefixes;
    // an absent end is open.
    KeyRange Scope(std::optional<std::string_view> top,
                   std::optional<std::string_view> bottom) const;

    // Entries in ascending (key, record) order as stored: key bytes, then the record number as
    // 4 bytes big-endian; for the index file.
    std::size_t EntrySize() const { return stride_; }
    template <class Visit>
    void ForEachEntry(Visit&& visit) const {
        for (const std::string& chunk : chunks_) {
            for (std::size_t at = 0; at < chunk.size(); at += stride_) {
                visit(std::string_view(chunk).substr(at, stride_));
            }
        }
    }
    // Takes entries of EntrySize() bytes; false (and the index left empty) unless they are in
    // strictly ascending order.
    bool AssignSorted(std::string_view entries);

  private:
    std::string MakeEntry(std::string_view key, uint32_t recno) const;
    std::string_view EntryAt(std::size_t internal) const;
    // First internal index whose first probe.size() bytes compare >= probe (or > with upper).
    std::size_t Bound(std::string_view probe, bool upper) const;
    std::size_t ChunkFor(std::string_view entry) const;
    void AppendChunks(const char* data, std::size_t count);
    void Recount(std::size_t fromChunk);
    std::size_t ToInternal(std::size_t position) const {
        return descending_ ? size_ - 1 - position : position;
    }

    std::size_t keyLength_;
    std::size_t stride_;
    std::size_t chunkEntries_;
    bool descending_;
    std::size_t size_ = 0;
    std::vector<std::string> chunks_;  // each a sorted run of entries, stride_ bytes each
    std::vector<std::size_t> starts_;  // internal index of each chunk's first entry
};

}  // namespace xb
