#include "platform/xbase32/key_index.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/xbase32/parallel.h"

namespace xb {

namespace {

constexpr std::size_t kChunkBytes = 16384;

int CompareBytes(std::string_view a, std::string_view b, std::size_t n) {
    return std::memcmp(a.data(), b.data(), n);
}

void PutRecno(char* out, uint32_t recno) {
    out[0] = static_cast<char>(recno >> 24);
    out[1] = static_cast<char>(recno >> 16);
    out[2] = static_cast<char>(recno >> 8);
    out[3] = static_cast<char>(recno);
}

uint32_t GetRecno(const char* in) {
    const auto* u = reinterpret_cast<const unsigned char*>(in);
    return (uint32_t{u[0]} << 24) | (uint32_t{u[1]} << 16) | (uint32_t{u[2]} << 8) | u[3];
}

}  // namespace

KeyIndex::KeyIndex(std::size_t keyLength, bool descending)
    : keyLength_(keyLength),
      stride_(keyLength + 4),
      chunkEntries_(std::max<std::size_t>(16, kChunkBytes / (keyLength + 4))),
      descending_(descending) {
    if (keyLength == 0) {
        throw std::invalid_argument("key length 0");
    }
}

std::string KeyIndex::MakeEntry(std::string_view key, uint32_t recno) const {
    if (key.size() != keyLength_) {
        throw std::invalid_argument("key of " + std::to_string(key.size()) +
                                    " bytes in an index of " + std::to_string(keyLength_));
    }
    std::string entry(stride_, '\0');
    std::memcpy(entry.data(), key.data(), keyLength_);
    PutRecno(entry.data() + keyLength_, recno);
    return entry;
}

void KeyIndex::Clear() {
    chunks_.clear();
    starts_.clear();
    size_ = 0;
}

void KeyIndex::Recount(std::size_t fromChunk) {
    starts_.resize(chunks_.size());
    for (std::size_t c = std::max<std::size_t>(fromChunk, 1); c < chunks_.size(); ++c) {
        starts_[c] = starts_[c - 1] + chunks_[c - 1].size() / stride_;
    }
    if (!starts_.empty()) {
        starts_[0] = 0;
    }
}

void KeyIndex::AppendChunks(const char* data, std::size_t count) {
    // Chunks start three quarters full so that the first inserts do not split at once.
    const std::size_t fill = std::max<std::size_t>(1, chunkEntries_ * 3 / 4);
    for (std::size_t at = 0; at < count; at += fill) {
        const std::size_t n = std::min(fill, count - at);
        chunks_.emplace_back(data + at * stride_, n * stride_);
    }
    size_ += count;
    Recount(0);
}

void KeyIndex::Build(std::string_view keys, std::span<const uint32_t> recnos) {
    if (keys.size() != recnos.size() * keyLength_) {
        throw std::invalid_argument("keys and record numbers differ in count");
    }
    Clear();
    const std::size_t n = recnos.size();
    const std::size_t keyLength = keyLength_;
    const char* base = keys.data();
    // Most comparisons are settled by integers: the key's first 8 bytes big-endian and the
    // record number. Only runs that share those 8 bytes yet differ later touch the keys again.
    struct Item {
        uint64_t prefix;
        uint32_t recno;
        uint32_t index;
    };
    std::vector<Item> items(n);
    const std::size_t prefixBytes = std::min<std::size_t>(8, keyLength);
    for (std::size_t i = 0; i < n; ++i) {
        uint64_t prefix = 0;
        const auto* p = reinterpret_cast<const unsigned char*>(base + i * keyLength);
        for (std::size_t b = 0; b < 8; ++b) {
            prefix = (prefix << 8) | (b < prefixBytes ? p[b] : 0);
        }
        items[i] = Item{prefix, recnos[i], static_cast<uint32_t>(i)};
    }
    // (prefix, record) is a total order, so sorting parts on threads and merging them gives
    // the serial result.
    auto byPrefix = [](const Item& a, const Item& b) {
        return a.prefix != b.prefix ? a.prefix < b.prefix : a.recno < b.recno;
    };
    constexpr std::size_t kParts = 4;
    if (n < (std::size_t{1} << 15)) {
        std::sort(items.begin(), items.end(), byPrefix);
    } else {
        auto at = [&](std::size_t part) {
            return items.begin() + static_cast<std::ptrdiff_t>(n * part / kParts);
        };
        ParallelFor(kParts, [&](std::size_t p) { std::sort(at(p), at(p + 1), byPrefix); });
        ParallelFor(kParts / 2, [&](std::size_t p) {
            std::inplace_merge(at(2 * p), at(2 * p + 1), at(2 * p + 2), byPrefix);
        });
        std::inplace_merge(at(0), at(kParts / 2), at(kParts), byPrefix);
    }
    if (keyLength > 8) {
        const std::size_t tail = keyLength - 8;
        auto rest = [base, keyLength](const Item& item) {
            return base + item.index * keyLength + 8;
        };
        for (std::size_t first = 0; first < n;) {
            std::size_t last = first + 1;
            bool allEqual = true;
            while (last < n && items[last].prefix == items[first].prefix) {
                allEqual =
                    allEqual && std::memcmp(rest(items[first]), rest(items[last]), tail) == 0;
                ++last;
            }
            if (!allEqual) {
                std::sort(items.begin() + static_cast<std::ptrdiff_t>(first),
                          items.begin() + static_cast<std::ptrdiff_t>(last),
                          [&](const Item& a, const Item& b) {
                              const int c = std::memcmp(rest(a), rest(b), tail);
                              return c != 0 ? c < 0 : a.recno < b.recno;
                          });
            }
            first = last;
        }
    }
    // Chunks start three quarters full so that the first inserts do not split at once.
    const std::size_t fill = std::max<std::size_t>(1, chunkEntries_ * 3 / 4);
    std::string* chunk = nullptr;
    constexpr std::size_t kAhead = 16;  // keys are gathered out of order: fetch them early
    for (std::size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) {
            const char* ahead = base + items[i + kAhead].index * keyLength;
            for (std::size_t line = 0; line < keyLength; line += 64) {
                __builtin_prefetch(ahead + line);
            }
        }
        const Item& item = items[i];
        const char* key = base + item.index * keyLength;
        if (i > 0 && item.recno == items[i - 1].recno &&
            std::memcmp(key, base + items[i - 1].index * keyLength, keyLength) == 0) {
            continue;  // the same entry twice
        }
        if (chunk == nullptr || chunk->size() >= fill * stride_) {
            chunk = &chunks_.emplace_back();
            chunk->reserve(fill * stride_);
        }
        chunk->append(key, keyLength);
        char recno[4];
        PutRecno(recno, item.recno);
        chunk->append(recno, 4);
        ++size_;
    }
    Recount(0);
}

bool KeyIndex::AssignSorted(std::string_view entries) {
    Clear();
    if (entries.size() % stride_ != 0) {
        return false;
    }
    const std::size_t n = entries.size() / stride_;
    for (std::size_t i = 1; i < n; ++i) {
        if (std::memcmp(entries.data() + (i - 1) * stride_, entries.data() + i * stride_,
                        stride_) >= 0) {
            return false;
        }
    }
    AppendChunks(entries.data(), n);
    return true;
}

std::size_t KeyIndex::ChunkFor(std::string_view entry) const {
    std::size_t lo = 0;
    std::size_t hi = chunks_.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const std::string& chunk = chunks_[mid];
        if (std::memcmp(chunk.data() + chunk.size() - stride_, entry.data(), stride_) < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return std::min(lo, chunks_.size() - 1);
}

namespace {

// First slot of a sorted chunk whose entry is not below probe (over probe's length).
std::size_t SlotBound(const std::string& chunk, std::size_t stride, std::string_view probe,
                      bool upper) {
    std::size_t lo = 0;
    std::size_t hi = chunk.size() / stride;
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const int c = std::memcmp(chunk.data() + mid * stride, probe.data(), probe.size());
        if (upper ? c <= 0 : c < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

}  // namespace

bool KeyIndex::Insert(std::string_view key, uint32_t recno) {
    const std::string entry = MakeEntry(key, recno);
    if (chunks_.empty()) {
        chunks_.push_back(entry);
        size_ = 1;
        Recount(0);
        return true;
    }
    const std::size_t c = ChunkFor(entry);
    std::string& chunk = chunks_[c];
    const std::size_t slot = SlotBound(chunk, stride_, entry, false);
    if (slot * stride_ < chunk.size() &&
        std::memcmp(chunk.data() + slot * stride_, entry.data(), stride_) == 0) {
        return false;
    }
    chunk.insert(slot * stride_, entry);
    ++size_;
    if (chunk.size() / stride_ > chunkEntries_) {
        const std::size_t half = chunk.size() / stride_ / 2;
        std::string upperHalf = chunk.substr(half * stride_);
        chunk.resize(half * stride_);
        chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(c) + 1, std::move(upperHalf));
    }
    Recount(c + 1);
    return true;
}

bool KeyIndex::Erase(std::string_view key, uint32_t recno) {
    const std::string entry = MakeEntry(key, recno);
    if (chunks_.empty()) {
        return false;
    }
    const std::size_t c = ChunkFor(entry);
    std::string& chunk = chunks_[c];
    const std::size_t slot = SlotBound(chunk, stride_, entry, false);
    if (slot * stride_ >= chunk.size() ||
        std::memcmp(chunk.data() + slot * stride_, entry.data(), stride_) != 0) {
        return false;
    }
    chunk.erase(slot * stride_, stride_);
    --size_;
    if (chunk.empty()) {
        chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(c));
    }
    Recount(c);
    return true;
}

bool KeyIndex::Update(std::string_view oldKey, std::string_view newKey, uint32_t recno) {
    if (oldKey == newKey) {
        if (PositionOf(oldKey, recno)) {
            return true;
        }
        Insert(newKey, recno);
        return false;
    }
    const bool erased = Erase(oldKey, recno);
    Insert(newKey, recno);
    return erased;
}

bool KeyIndex::EraseRecord(uint32_t recno) {
    for (const std::string& chunk : chunks_) {
        for (std::size_t at = 0; at < chunk.size(); at += stride_) {
            if (GetRecno(chunk.data() + at + keyLength_) == recno) {
                const std::string key = chunk.substr(at, keyLength_);
                return Erase(key, recno);
            }
        }
    }
    return false;
}

std::string_view KeyIndex::EntryAt(std::size_t internal) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), internal);
    const auto c = static_cast<std::size_t>(it - starts_.begin()) - 1;
    return std::string_view(chunks_[c]).substr((internal - starts_[c]) * stride_, stride_);
}

KeyEntry KeyIndex::At(std::size_t position) const {
    if (position >= size_) {
        throw std::out_of_range("index position " + std::to_string(position));
    }
    const std::string_view entry = EntryAt(ToInternal(position));
    return KeyEntry{entry.substr(0, keyLength_), GetRecno(entry.data() + keyLength_)};
}

std::size_t KeyIndex::Bound(std::string_view probe, bool upper) const {
    std::size_t lo = 0;
    std::size_t hi = chunks_.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const std::string& chunk = chunks_[mid];
        const int c =
            std::memcmp(chunk.data() + chunk.size() - stride_, probe.data(), probe.size());
        if (upper ? c <= 0 : c < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    if (lo == chunks_.size()) {
        return size_;
    }
    return starts_[lo] + SlotBound(chunks_[lo], stride_, probe, upper);
}

std::optional<std::size_t> KeyIndex::PositionOf(std::string_view key, uint32_t recno) const {
    const std::string entry = MakeEntry(key, recno);
    const std::size_t i = Bound(entry, false);
    if (i >= size_ || EntryAt(i) != entry) {
        return std::nullopt;
    }
    return descending_ ? size_ - 1 - i : i;
}

std::size_t KeyIndex::LowerBound(std::string_view key, uint32_t recno) const {
    const std::string entry = MakeEntry(key, recno);
    return descending_ ? size_ - Bound(entry, true) : Bound(entry, false);
}

std::size_t KeyIndex::Seek(std::string_view key) const {
    key = key.substr(0, std::min(key.size(), keyLength_));
    return descending_ ? size_ - Bound(key, true) : Bound(key, false);
}

bool KeyIndex::KeyMatches(std::size_t position, std::string_view key) const {
    if (position >= size_) {
        return false;
    }
    key = key.substr(0, std::min(key.size(), keyLength_));
    return CompareBytes(EntryAt(ToInternal(position)), key, key.size()) == 0;
}

KeyRange KeyIndex::Scope(std::optional<std::string_view> top,
                         std::optional<std::string_view> bottom) const {
    auto cut = [this](std::string_view k) { return k.substr(0, std::min(k.size(), keyLength_)); };
    KeyRange range;
    if (!descending_) {
        range.first = top ? Bound(cut(*top), false) : 0;
        range.last = bottom ? Bound(cut(*bottom), true) : size_;
    } else {
        range.first = top ? size_ - Bound(cut(*top), true) : 0;
        range.last = bottom ? size_ - Bound(cut(*bottom), false) : size_;
    }
    range.last = std::max(range.first, range.last);
    return range;
}

}  // namespace xb
