#pragma once

// An in-memory index: (key bytes, record number) entries in key order, equal keys by record
// number. A descending index reverses that whole order. Positions are 0 .. Size() in the
// index's own order; Size() stands past the last entry.
//
// Keys are held without their trailing blanks, which are implied up to the key length: text
// keys are mostly blanks. Every answer is the one the padded keys give.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xb {

struct KeyEntry {
    std::string key;  // KeyLength() bytes, blanks restored
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
    uint32_t RecnoAt(std::size_t position) const;
    // Position of the record's entry found by its number alone (a walk); nullopt without one.
    std::optional<std::size_t> PositionOfRecord(uint32_t recno) const;
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

    // Entries in ascending (key, record) order: the key without its trailing blanks (a view
    // valid until the index changes) and the record number.
    template <class Visit>
    void ForEachEntry(Visit&& visit) const {
        for (const Chunk& chunk : chunks_) {
            for (std::size_t slot = 0; slot < chunk.offsets.size(); ++slot) {
                visit(chunk.Key(slot), chunk.Recno(slot));
            }
        }
    }
    // Bytes the stored keys take without their trailing blanks.
    std::size_t StoredKeyBytes() const;
    // Appends an entry after the last one; key may be shorter than KeyLength() (blanks are
    // implied). False (and nothing added) unless it comes strictly after the last entry in
    // ascending order. std::invalid_argument for a key longer than KeyLength().
    bool AppendSorted(std::string_view key, uint32_t recno);

  private:
    // A sorted run of entries: each the record number (4 bytes big-endian) and the key without
    // its trailing blanks, back to back; offsets hold where each starts.
    struct Chunk {
        std::string bytes;
        std::vector<uint16_t> offsets;

        std::size_t End(std::size_t slot) const {
            return slot + 1 < offsets.size() ? offsets[slot + 1] : bytes.size();
        }
        std::string_view Key(std::size_t slot) const {
            return std::string_view(bytes).substr(offsets[slot] + 4, End(slot) - offsets[slot] - 4);
        }
        uint32_t Recno(std::size_t slot) const;
        void Append(std::string_view key, uint32_t recno);
    };
    struct Probe {
        std::string_view key;   // compared over its length (blanks implied on the entry)
        const uint32_t* recno;  // then the record number, when given
    };
    static int Compare(const Chunk& chunk, std::size_t slot, const Probe& probe);
    // First slot of the chunk whose entry compares >= probe (> with upper).
    static std::size_t SlotBound(const Chunk& chunk, const Probe& probe, bool upper);
    // First internal index whose entry compares >= probe (> with upper).
    std::size_t Bound(const Probe& probe, bool upper) const;
    std::string_view CheckedKey(std::string_view key) const;
    std::size_t ChunkFor(const Probe& probe) const;
    std::pair<std::size_t, std::size_t> Locate(std::size_t internal) const;
    Chunk& NewChunk();
    void Recount(std::size_t fromChunk);
    std::size_t ToInternal(std::size_t position) const {
        return descending_ ? size_ - 1 - position : position;
    }

    std::size_t keyLength_;
    bool descending_;
    std::size_t size_ = 0;
    std::vector<Chunk> chunks_;
    std::vector<std::size_t> starts_;  // internal index of each chunk's first entry
};

}  // namespace xb
