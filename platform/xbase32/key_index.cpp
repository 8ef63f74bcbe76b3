#include "platform/xbase32/key_index.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "platform/xbase32/expression_text.h"
#include "platform/xbase32/page_array.h"
#include "platform/xbase32/parallel.h"

namespace xb {

namespace {

// Chunks are split beyond this size; the offsets within one stay below 65536.
constexpr std::size_t kChunkBytes = 16384;
// Chunks start three quarters full so that the first inserts do not split at once.
constexpr std::size_t kFillBytes = kChunkBytes * 3 / 4;

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

// A stored key (blanks implied after it) against the first probe.size() bytes of a key.
int CompareKey(std::string_view stored, std::string_view probe) {
    const std::size_t n = std::min(stored.size(), probe.size());
    if (n >= 8) {
        // Most keys differ in their first eight bytes: one compare of two words, no call.
        uint64_t a = 0;
        uint64_t b = 0;
        std::memcpy(&a, stored.data(), 8);
        std::memcpy(&b, probe.data(), 8);
        if (a != b) {
            if constexpr (std::endian::native == std::endian::little) {
                a = __builtin_bswap64(a);
                b = __builtin_bswap64(b);
            }
            return a < b ? -1 : 1;
        }
    }
    if (n > 0) {
        if (const int c = std::memcmp(stored.data(), probe.data(), n); c != 0) {
            return c;
        }
    }
    for (std::size_t i = n; i < probe.size(); ++i) {
        if (probe[i] != ' ') {
            return static_cast<unsigned char>(probe[i]) > static_cast<unsigned char>(' ') ? -1 : 1;
        }
    }
    return 0;
}

// Sorting a build's keys. An item stands for one key; its prefix holds 8 key bytes from the
// current depth on, big-endian, so that most comparisons are settled by integers.
struct SortItem {
    uint64_t prefix;
    uint32_t recno;
    uint32_t index;
};

struct KeyBytes {
    const char* base;
    std::size_t length;
    const char* Of(const SortItem& item) const { return base + std::size_t{item.index} * length; }
};

uint64_t PrefixAt(const char* key, std::size_t from, std::size_t length) {
    uint64_t prefix = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(key);
    for (std::size_t b = from; b < from + 8; ++b) {
        prefix = (prefix << 8) | (b < length ? p[b] : 0);
    }
    return prefix;
}

// Stable sort of items[0, n) by prefix, least significant byte first; a byte every item
// shares costs no pass.
void RadixByPrefix(SortItem* items, SortItem* scratch, std::size_t n) {
    std::array<std::array<uint32_t, 256>, 8> counts{};
    for (std::size_t i = 0; i < n; ++i) {
        const uint64_t p = items[i].prefix;
        for (std::size_t b = 0; b < 8; ++b) {
            ++counts[b][(p >> (8 * b)) & 0xFF];
        }
    }
    SortItem* from = items;
    SortItem* to = scratch;
    for (std::size_t b = 0; b < 8; ++b) {
        auto& count = counts[b];
        if (count[(from[0].prefix >> (8 * b)) & 0xFF] == n) {
            continue;
        }
        uint32_t sum = 0;
        for (uint32_t& c : count) {
            const uint32_t here = c;
            c = sum;
            sum += here;
        }
        for (std::size_t i = 0; i < n; ++i) {
            to[count[(from[i].prefix >> (8 * b)) & 0xFF]++] = from[i];
        }
        std::swap(from, to);
    }
    if (from != items) {
        std::memcpy(items, from, n * sizeof(SortItem));
    }
}

// Runs of items that share the key bytes before depth and still need sorting from there.
struct Run {
    std::size_t first;
    std::size_t last;
    std::size_t depth;
};

// Sorts items[first, last) (at least 64, sharing the key bytes before depth, in record order) by
// their next 8 key bytes, and adds the runs that share those too yet differ later to deeper.
void SortLevel(const KeyBytes& keys, SortItem* items, SortItem* scratch, const Run& run,
               std::vector<Run>& deeper) {
    // Below the first level the items no longer lie in key order: fetch their keys early.
    constexpr std::size_t kAhead = 16;
    for (std::size_t i = run.first; i < run.last; ++i) {
        if (i + kAhead < run.last) {
            __builtin_prefetch(keys.Of(items[i + kAhead]) + run.depth);
        }
        items[i].prefix = PrefixAt(keys.Of(items[i]), run.depth, keys.length);
    }
    RadixByPrefix(items + run.first, scratch + run.first, run.last - run.first);
    const std::size_t next = run.depth + 8;
    if (next >= keys.length) {
        return;
    }
    // Runs that share these 8 bytes are still in record order: they go on by the next 8.
    const std::size_t tail = keys.length - next;
    for (std::size_t first = run.first; first < run.last;) {
        std::size_t last = first + 1;
        bool allEqual = true;
        while (last < run.last && items[last].prefix == items[first].prefix) {
            if (allEqual && last + kAhead < run.last) {
                __builtin_prefetch(keys.Of(items[last + kAhead]) + next);
            }
            allEqual = allEqual && std::memcmp(keys.Of(items[first]) + next,
                                               keys.Of(items[last]) + next, tail) == 0;
            ++last;
        }
        if (!allEqual) {
            deeper.push_back(Run{first, last, next});
        }
        first = last;
    }
}

// Sorts items[run) by (key, record); they share the key bytes before run.depth and come in
// record order. scratch is as long as items.
void SortRun(const KeyBytes& keys, SortItem* items, SortItem* scratch, const Run& run) {
    if (run.last - run.first < 64) {
        const std::size_t depth = run.depth;
        for (std::size_t i = run.first; i < run.last; ++i) {
            items[i].prefix = PrefixAt(keys.Of(items[i]), depth, keys.length);
        }
        const std::size_t next = depth + 8;
        std::sort(items + run.first, items + run.last, [&](const SortItem& a, const SortItem& b) {
            if (a.prefix != b.prefix) {
                return a.prefix < b.prefix;
            }
            if (next < keys.length) {
                const int c = std::memcmp(keys.Of(a) + next, keys.Of(b) + next, keys.length - next);
                if (c != 0) {
                    return c < 0;
                }
            }
            return a.recno < b.recno;
        });
        return;
    }
    std::vector<Run> deeper;
    SortLevel(keys, items, scratch, run, deeper);
    for (const Run& r : deeper) {
        SortRun(keys, items, scratch, r);
    }
}

// The same for all n items, the runs that the first levels leave sorted on a few threads.
// Each run's result is fixed by its items alone, so the order is the serial one.
void SortAll(const KeyBytes& keys, SortItem* items, SortItem* scratch, std::size_t n) {
    std::vector<Run> runs{Run{0, n, 0}};
    while (runs.size() == 1 && runs.front().last - runs.front().first >= 64) {
        const Run run = runs.front();
        runs.clear();
        SortLevel(keys, items, scratch, run, runs);
    }
    ParallelFor(runs.size(), [&](std::size_t r) { SortRun(keys, items, scratch, runs[r]); });
}

}  // namespace

uint32_t KeyIndex::Chunk::Recno(std::size_t slot) const {
    return GetRecno(bytes.data() + offsets[slot]);
}

void KeyIndex::Chunk::Append(std::string_view key, uint32_t recno) {
    offsets.push_back(static_cast<uint16_t>(bytes.size()));
    char number[4];
    PutRecno(number, recno);
    bytes.append(number, 4);
    bytes.append(key);
}

namespace {

template <class ChunkType>
bool Fits(const ChunkType& chunk, std::string_view key) {
    return chunk.bytes.size() + 4 + key.size() <= kFillBytes;
}

}  // namespace

KeyIndex::KeyIndex(std::size_t keyLength, bool descending)
    : keyLength_(keyLength), descending_(descending) {
    if (keyLength == 0) {
        throw std::invalid_argument("key length 0");
    }
}

std::string_view KeyIndex::CheckedKey(std::string_view key) const {
    if (key.size() != keyLength_) {
        throw std::invalid_argument("key of " + std::to_string(key.size()) +
                                    " bytes in an index of " + std::to_string(keyLength_));
    }
    return key;
}

void KeyIndex::Clear() {
    chunks_.clear();
    starts_.clear();
    size_ = 0;
}

KeyIndex::Chunk& KeyIndex::NewChunk() {
    Chunk& chunk = chunks_.emplace_back();
    chunk.bytes.reserve(kFillBytes);
    return chunk;
}

void KeyIndex::Recount(std::size_t fromChunk) {
    starts_.resize(chunks_.size());
    for (std::size_t c = std::max<std::size_t>(fromChunk, 1); c < chunks_.size(); ++c) {
        starts_[c] = starts_[c - 1] + chunks_[c - 1].offsets.size();
    }
    if (!starts_.empty()) {
        starts_[0] = 0;
    }
}

std::size_t KeyIndex::StoredKeyBytes() const {
    std::size_t bytes = 0;
    for (const Chunk& chunk : chunks_) {
        bytes += chunk.bytes.size() - 4 * chunk.offsets.size();
    }
    return bytes;
}

void KeyIndex::Build(std::string_view keys, std::span<const uint32_t> recnos) {
    if (keys.size() != recnos.size() * keyLength_) {
        throw std::invalid_argument("keys and record numbers differ in count");
    }
    Clear();
    const std::size_t n = recnos.size();
    if (n == 0) {
        return;
    }
    const std::size_t keyLength = keyLength_;
    const char* base = keys.data();
    // Large builds work in parts on a few threads.
    const std::size_t parts = n < (std::size_t{1} << 15) ? 1 : 4;
    auto at = [&](std::size_t part) { return n * part / parts; };
    PageArray<SortItem> items(n);
    PageArray<SortItem> scratch(n);
    ParallelFor(parts, [&](std::size_t p) {
        for (std::size_t i = at(p); i < at(p + 1); ++i) {
            items[i] = SortItem{0, recnos[i], static_cast<uint32_t>(i)};
        }
    });
    // The sort keeps equal keys in the order they come in: bring them in record order.
    if (!std::is_sorted(recnos.begin(), recnos.end())) {
        std::stable_sort(items.begin(), items.end(),
                         [](const SortItem& a, const SortItem& b) { return a.recno < b.recno; });
    }
    const KeyBytes bytes{base, keyLength};
    SortAll(bytes, items.data(), scratch.data(), n);
    scratch.Reset();
    constexpr std::size_t kAhead = 16;  // keys are gathered out of order: fetch them early
    for (std::size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) {
            const char* ahead = bytes.Of(items[i + kAhead]);
            for (std::size_t line = 0; line < keyLength; line += 64) {
                __builtin_prefetch(ahead + line);
            }
        }
        const SortItem& item = items[i];
        const char* key = bytes.Of(item);
        if (i > 0 && item.recno == items[i - 1].recno &&
            std::memcmp(key, bytes.Of(items[i - 1]), keyLength) == 0) {
            continue;  // the same entry twice
        }
        const std::string_view significant = TrimRight(std::string_view(key, keyLength));
        if (chunks_.empty() || !Fits(chunks_.back(), significant)) {
            NewChunk();
        }
        chunks_.back().Append(significant, item.recno);
        ++size_;
    }
    Recount(0);
}

bool KeyIndex::AppendSorted(std::string_view key, uint32_t recno) {
    if (key.size() > keyLength_) {
        throw std::invalid_argument("key of " + std::to_string(key.size()) +
                                    " bytes in an index of " + std::to_string(keyLength_));
    }
    const std::string_view significant = TrimRight(key);
    if (!chunks_.empty()) {
        const Chunk& last = chunks_.back();
        const std::size_t slot = last.offsets.size() - 1;
        const std::string_view lastKey = last.Key(slot);
        // Both without trailing blanks: the shorter one goes on in implied blanks.
        const int order = lastKey.size() <= significant.size() ? CompareKey(lastKey, significant)
                                                               : -CompareKey(significant, lastKey);
        if (order > 0 || (order == 0 && last.Recno(slot) >= recno)) {
            return false;
        }
    }
    if (chunks_.empty() || !Fits(chunks_.back(), significant)) {
        NewChunk();
        starts_.push_back(size_);
    }
    chunks_.back().Append(significant, recno);
    ++size_;
    return true;
}

int KeyIndex::Compare(const Chunk& chunk, std::size_t slot, const Probe& probe) {
    if (const int c = CompareKey(chunk.Key(slot), probe.key); c != 0 || probe.recno == nullptr) {
        return c;
    }
    const uint32_t recno = chunk.Recno(slot);
    return recno < *probe.recno ? -1 : recno > *probe.recno ? 1 : 0;
}

std::size_t KeyIndex::SlotBound(const Chunk& chunk, const Probe& probe, bool upper) {
    std::size_t lo = 0;
    std::size_t hi = chunk.offsets.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const int c = Compare(chunk, mid, probe);
        if (upper ? c <= 0 : c < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

std::size_t KeyIndex::ChunkFor(const Probe& probe) const {
    std::size_t lo = 0;
    std::size_t hi = chunks_.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const Chunk& chunk = chunks_[mid];
        if (Compare(chunk, chunk.offsets.size() - 1, probe) < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return std::min(lo, chunks_.size() - 1);
}

bool KeyIndex::Insert(std::string_view key, uint32_t recno) {
    const std::string_view significant = TrimRight(CheckedKey(key));
    if (chunks_.empty()) {
        NewChunk().Append(significant, recno);
        size_ = 1;
        Recount(0);
        return true;
    }
    const Probe probe{key, &recno};
    const std::size_t c = ChunkFor(probe);
    Chunk& chunk = chunks_[c];
    const std::size_t slot = SlotBound(chunk, probe, false);
    if (slot < chunk.offsets.size() && Compare(chunk, slot, probe) == 0) {
        return false;
    }
    const std::size_t at = slot < chunk.offsets.size() ? chunk.offsets[slot] : chunk.bytes.size();
    const std::size_t length = 4 + significant.size();
    char number[4];
    PutRecno(number, recno);
    chunk.bytes.insert(at, number, 4);
    chunk.bytes.insert(at + 4, significant);
    chunk.offsets.insert(chunk.offsets.begin() + static_cast<std::ptrdiff_t>(slot),
                         static_cast<uint16_t>(at));
    for (std::size_t s = slot + 1; s < chunk.offsets.size(); ++s) {
        chunk.offsets[s] = static_cast<uint16_t>(chunk.offsets[s] + length);
    }
    ++size_;
    if (chunk.bytes.size() > kChunkBytes && chunk.offsets.size() >= 2) {
        const std::size_t half = chunk.offsets.size() / 2;
        const std::size_t cut = chunk.offsets[half];
        Chunk upper;
        upper.bytes = chunk.bytes.substr(cut);
        for (std::size_t s = half; s < chunk.offsets.size(); ++s) {
            upper.offsets.push_back(static_cast<uint16_t>(chunk.offsets[s] - cut));
        }
        chunk.bytes.resize(cut);
        chunk.offsets.resize(half);
        chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(c) + 1, std::move(upper));
    }
    Recount(c + 1);
    return true;
}

bool KeyIndex::Erase(std::string_view key, uint32_t recno) {
    CheckedKey(key);
    if (chunks_.empty()) {
        return false;
    }
    const Probe probe{key, &recno};
    const std::size_t c = ChunkFor(probe);
    Chunk& chunk = chunks_[c];
    const std::size_t slot = SlotBound(chunk, probe, false);
    if (slot >= chunk.offsets.size() || Compare(chunk, slot, probe) != 0) {
        return false;
    }
    const std::size_t at = chunk.offsets[slot];
    const std::size_t length = chunk.End(slot) - at;
    chunk.bytes.erase(at, length);
    chunk.offsets.erase(chunk.offsets.begin() + static_cast<std::ptrdiff_t>(slot));
    for (std::size_t s = slot; s < chunk.offsets.size(); ++s) {
        chunk.offsets[s] = static_cast<uint16_t>(chunk.offsets[s] - length);
    }
    --size_;
    if (chunk.offsets.empty()) {
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
    for (const Chunk& chunk : chunks_) {
        for (std::size_t slot = 0; slot < chunk.offsets.size(); ++slot) {
            if (chunk.Recno(slot) == recno) {
                std::string key(chunk.Key(slot));
                key.resize(keyLength_, ' ');
                return Erase(key, recno);
            }
        }
    }
    return false;
}

std::pair<std::size_t, std::size_t> KeyIndex::Locate(std::size_t internal) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end(), internal);
    const auto c = static_cast<std::size_t>(it - starts_.begin()) - 1;
    return {c, internal - starts_[c]};
}

KeyEntry KeyIndex::At(std::size_t position) const {
    if (position >= size_) {
        throw std::out_of_range("index position " + std::to_string(position));
    }
    const auto [c, slot] = Locate(ToInternal(position));
    std::string key(chunks_[c].Key(slot));
    key.resize(keyLength_, ' ');
    return KeyEntry{std::move(key), chunks_[c].Recno(slot)};
}

uint32_t KeyIndex::RecnoAt(std::size_t position) const {
    if (position >= size_) {
        throw std::out_of_range("index position " + std::to_string(position));
    }
    const auto [c, slot] = Locate(ToInternal(position));
    return chunks_[c].Recno(slot);
}

std::optional<std::size_t> KeyIndex::PositionOfRecord(uint32_t recno) const {
    for (std::size_t c = 0; c < chunks_.size(); ++c) {
        const Chunk& chunk = chunks_[c];
        for (std::size_t slot = 0; slot < chunk.offsets.size(); ++slot) {
            if (chunk.Recno(slot) == recno) {
                const std::size_t internal = starts_[c] + slot;
                return descending_ ? size_ - 1 - internal : internal;
            }
        }
    }
    return std::nullopt;
}

std::size_t KeyIndex::Bound(const Probe& probe, bool upper) const {
    std::size_t lo = 0;
    std::size_t hi = chunks_.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        const Chunk& chunk = chunks_[mid];
        const int c = Compare(chunk, chunk.offsets.size() - 1, probe);
        if (upper ? c <= 0 : c < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    if (lo == chunks_.size()) {
        return size_;
    }
    return starts_[lo] + SlotBound(chunks_[lo], probe, upper);
}

std::optional<std::size_t> KeyIndex::PositionOf(std::string_view key, uint32_t recno) const {
    const Probe probe{CheckedKey(key), &recno};
    const std::size_t i = Bound(probe, false);
    if (i >= size_) {
        return std::nullopt;
    }
    const auto [c, slot] = Locate(i);
    if (Compare(chunks_[c], slot, probe) != 0) {
        return std::nullopt;
    }
    return descending_ ? size_ - 1 - i : i;
}

std::size_t KeyIndex::LowerBound(std::string_view key, uint32_t recno) const {
    const Probe probe{CheckedKey(key), &recno};
    return descending_ ? size_ - Bound(probe, true) : Bound(probe, false);
}

std::size_t KeyIndex::Seek(std::string_view key) const {
    const Probe probe{key.substr(0, std::min(key.size(), keyLength_)), nullptr};
    return descending_ ? size_ - Bound(probe, true) : Bound(probe, false);
}

bool KeyIndex::KeyMatches(std::size_t position, std::string_view key) const {
    if (position >= size_) {
        return false;
    }
    key = key.substr(0, std::min(key.size(), keyLength_));
    const auto [c, slot] = Locate(ToInternal(position));
    return CompareKey(chunks_[c].Key(slot), key) == 0;
}

KeyRange KeyIndex::Scope(std::optional<std::string_view> top,
                         std::optional<std::string_view> bottom) const {
    auto cut = [this](std::string_view k) {
        return Probe{k.substr(0, std::min(k.size(), keyLength_)), nullptr};
    };
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
