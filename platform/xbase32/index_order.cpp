#include "platform/xbase32/index_order.h"

#include <malloc.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/xbase32/dbf_table.h"
#include "platform/xbase32/error.h"
#include "platform/xbase32/expression_text.h"
#include "platform/xbase32/file_io.h"
#include "platform/xbase32/key_index_file.h"
#include "platform/xbase32/page_array.h"
#include "platform/xbase32/parallel.h"

namespace xb {

namespace {

Expression CompileCondition(std::string_view text, std::span<const FieldDesc> fields) {
    Expression e = Expression::Compile(text, fields);
    if (e.Type() != ValueType::Logical) {
        throw ExpressionError("index condition \"" + std::string(text) + "\" is not logical");
    }
    return e;
}

}  // namespace

std::optional<IndexOrder::FileStamp> IndexOrder::StatOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileStamp{st.st_dev,         st.st_ino,          static_cast<uint64_t>(st.st_size),
                     st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_ctim.tv_sec,
                     st.st_ctim.tv_nsec};
}

IndexOrder::IndexOrder(DbfTable& table, const Settings& settings, std::string path,
                       KeyExpression key, std::optional<Expression> condition, bool descending)
    : table_(table),
      followed_(table.ForeignChanges()),
      settings_(settings),
      path_(std::move(path)),
      key_(std::move(key)),
      condition_(std::move(condition)),
      conditionText_(condition_ ? condition_->Text() : std::string()),
      index_(key_.KeyLength(), descending) {}

std::unique_ptr<IndexOrder> IndexOrder::Create(DbfTable& table, const Settings& settings,
                                               const std::string& path, std::string_view key,
                                               std::string_view condition, bool descending) {
    KeyExpression k = KeyExpression::Compile(key, table.Fields());
    std::optional<Expression> c;
    if (!TrimLeft(TrimRight(condition)).empty()) {
        c = CompileCondition(condition, table.Fields());
    }
    std::unique_ptr<IndexOrder> order(
        new IndexOrder(table, settings, path, std::move(k), std::move(c), descending));
    IndexOrder* const one[] = {order.get()};
    Rebuild(table, one);
    order->Save();
    return order;
}

std::unique_ptr<IndexOrder> IndexOrder::Open(DbfTable& table, const Settings& settings,
                                             const std::string& path) {
    const std::optional<FileStamp> before = StatOf(path);
    LoadedKeyIndex loaded = LoadKeyIndexFile(path);
    // The file as read, to know later whether another open replaced it.
    std::optional<FileStamp> file = StatOf(path);
    if (file != before) {
        file.reset();
    }
    auto refuse = [&](const std::string& why) {
        throw IndexFileError("Index file \"" + path + "\" refused: " + why);
    };
    std::optional<KeyExpression> k;
    std::optional<Expression> c;
    try {
        k = KeyExpression::Compile(loaded.info.keyExpression, table.Fields());
        if (!loaded.info.condition.empty()) {
            c = CompileCondition(loaded.info.condition, table.Fields());
        }
    } catch (const ExpressionError& e) {
        refuse(std::string("its expressions do not fit the table: ") + e.what());
    }
    if (static_cast<char>(k->Type()) != loaded.info.keyType ||
        k->KeyLength() != loaded.index.KeyLength()) {
        refuse("its keys do not fit the key expression");
    }
    const uint32_t count = table.RecordCount();
    // An odd counter is a write that was under way: what it left cannot be known from here.
    const bool current = loaded.info.tableStamp && *loaded.info.tableStamp == table.Stamp() &&
                         table.Stamp() % 2 == 0;
    if (current && loaded.info.recordCount > count) {
        refuse("it was made for more records than the table holds");
    }
    std::unique_ptr<IndexOrder> order(
        new IndexOrder(table, settings, path, std::move(*k), std::move(c), loaded.info.descending));
    order->savedFile_ = file;
    if (!current) {
        // The table changed after the file was made (or it cannot tell): built anew, not used.
        IndexOrder* const one[] = {order.get()};
        Rebuild(table, one);
        order->SaveIfChanged(Over::kOnlyOwnFile);
        return order;
    }
    order->savedStamp_ = loaded.info.tableStamp;
    order->index_ = std::move(loaded.index);
    order->known_ = loaded.info.recordCount;
    order->CatchUp();
    return order;
}

std::string IndexOrder::TagName() const {
    std::string name = FileNameOf(path_);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0) {
        name.resize(dot);
    }
    return UpperCp1252(name);
}

EvalSettings IndexOrder::Eval() const {
    return EvalSettings{settings_.exact, settings_.date};
}

bool IndexOrder::Included(uint32_t recno, std::string_view record) const {
    if (!condition_) {
        return true;
    }
    try {
        return condition_->EvaluateLogical(RecordRef{record, recno}, Eval());
    } catch (const ExpressionError&) {
        return false;  // a record the condition cannot judge stays out
    }
}

std::string IndexOrder::KeyOf(uint32_t recno, std::string_view record) const {
    try {
        return key_.KeyOf(RecordRef{record, recno}, Eval());
    } catch (const ExpressionError&) {
        // The write has reached the table already; such a record sorts first.
        return std::string(key_.KeyLength(), '\0');
    }
}

std::string IndexOrder::KeyTextOf(uint32_t recno, std::string_view record) const {
    return key_.KeyText(KeyOf(recno, record));
}

namespace {

struct Pass {
    uint32_t deleted = 0;
    // Records another open held when they were read, with the bytes read.
    std::vector<std::pair<uint32_t, std::string>> held;
};

// Reads records 1..count in a few segments at once; visit(recno, record, scratch) runs on the
// segments' threads, with a string each that it may reuse.
Pass ReadAllRecords(DbfTable& table, uint32_t count,
                    const std::function<void(uint32_t, std::string_view, std::string&)>& visit) {
    const auto length = static_cast<std::size_t>(table.RecordLength());
    // Asked before the records are read: a record let go of after this reads as finished.
    const std::vector<uint32_t> held = table.RecordsHeldElsewhere(1, count);
    const uint32_t block = table.RecordsPerBlock();
    const uint32_t segments = std::clamp<uint32_t>(count / std::max<uint32_t>(block, 1), 1, 8);
    std::vector<Pass> parts(segments);
    ParallelFor(segments, [&](std::size_t s) {
        Pass& part = parts[s];
        const auto lo = static_cast<uint32_t>(uint64_t{count} * s / segments) + 1;
        const auto hi = static_cast<uint32_t>(uint64_t{count} * (s + 1) / segments);
        std::string scratch;
        auto nextHeld = std::lower_bound(held.begin(), held.end(), lo);
        std::vector<char> buffer(static_cast<std::size_t>(std::min(block, hi - lo + 1)) * length);
        for (uint32_t first = lo; first <= hi; first += block) {
            const uint32_t n = std::min(block, hi - first + 1);
            table.ReadRecords(first, n, buffer.data());
            for (uint32_t j = 0; j < n; ++j) {
                const uint32_t recno = first + j;
                const std::string_view record(buffer.data() + j * length, length);
                if (!record.empty() && record.front() == '*') {
                    ++part.deleted;
                }
                if (nextHeld != held.end() && *nextHeld == recno) {
                    ++nextHeld;
                    part.held.emplace_back(recno, std::string(record));
                }
                visit(recno, record, scratch);
            }
        }
    });
    Pass all;
    for (Pass& part : parts) {
        all.deleted += part.deleted;
        for (auto& h : part.held) {
            all.held.push_back(std::move(h));
        }
    }
    return all;
}

}  // namespace

std::vector<std::optional<std::size_t>> IndexOrder::DirectKeys(
    const DbfTable& table, std::span<IndexOrder* const> orders) {
    std::vector<std::optional<std::size_t>> direct;
    for (const IndexOrder* o : orders) {
        direct.push_back(o->key_.OffsetInRecord(static_cast<std::size_t>(table.RecordLength())));
    }
    return direct;
}

void IndexOrder::AppendBuildKey(uint32_t recno, std::string_view record, const EvalSettings& eval,
                                std::string& key) const {
    key.clear();
    try {
        key_.AppendKeyOf(RecordRef{record, recno}, eval, key);
    } catch (const ExpressionError&) {
        key = KeyOf(recno, record);
    }
    if (key.size() != key_.KeyLength()) {
        throw std::invalid_argument("a key of " + std::to_string(key.size()) +
                                    " bytes for an index of " + std::to_string(key_.KeyLength()));
    }
}

void IndexOrder::Rebuild(DbfTable& table, std::span<IndexOrder* const> orders) {
    const uint32_t count = table.RecordCount();
    bool freed = false;
    for (IndexOrder* o : orders) {
        o->followed_ = table.ForeignChanges();  // the pass reads every record after them
        // The old entries go first so that they and the new keys are never held at once; an
        // order left empty by a failure below adds every record again at its next access.
        freed = freed || o->index_.Size() > 0;
        o->index_.Clear();
        o->known_ = 0;
        o->inFlight_.clear();
        o->Changed();
    }
    if (freed) {
        ::malloc_trim(0);
    }
    // Each record's key goes to its own slot, so the segments need no joining; records a
    // condition leaves out are closed up afterwards.
    std::vector<PageArray<char>> keys;
    std::vector<PageArray<uint32_t>> recnos;
    std::vector<std::size_t> used(orders.size(), count);
    std::vector<EvalSettings> evals;
    const std::vector<std::optional<std::size_t>> direct = DirectKeys(table, orders);
    for (std::size_t i = 0; i < orders.size(); ++i) {
        keys.emplace_back(orders[i]->key_.KeyLength() * count);
        recnos.emplace_back(count);
        evals.push_back(orders[i]->Eval());
    }
    Pass pass = ReadAllRecords(table, count,
                               [&](uint32_t recno, std::string_view record, std::string& key) {
                                   for (std::size_t i = 0; i < orders.size(); ++i) {
                                       const IndexOrder& o = *orders[i];
                                       if (!o.Included(recno, record)) {
                                           continue;  // its slot keeps record number 0
                                       }
                                       const std::size_t width = o.key_.KeyLength();
                                       char* slot = keys[i].data() + std::size_t{recno - 1} * width;
                                       if (direct[i]) {
                                           std::memcpy(slot, record.data() + *direct[i], width);
                                       } else {
                                           o.AppendBuildKey(recno, record, evals[i], key);
                                           std::memcpy(slot, key.data(), width);
                                       }
                                       recnos[i][recno - 1] = recno;
                                   }
                               });
    for (auto& [recno, bytes] : pass.held) {
        for (IndexOrder* o : orders) {
            o->inFlight_.emplace(recno, bytes);
        }
    }
    ParallelFor(orders.size(), [&](std::size_t i) {
        if (!orders[i]->condition_) {
            return;  // every slot is used
        }
        const std::size_t width = orders[i]->key_.KeyLength();
        std::size_t kept = 0;
        for (std::size_t r = 0; r < count; ++r) {
            if (recnos[i][r] == 0) {
                continue;
            }
            if (kept != r) {
                std::memcpy(keys[i].data() + kept * width, keys[i].data() + r * width, width);
                recnos[i][kept] = recnos[i][r];
            }
            ++kept;
        }
        used[i] = kept;
    });
    ParallelFor(orders.size(), [&](std::size_t i) {
        orders[i]->index_.Build(
            std::string_view(keys[i].data(), used[i] * orders[i]->key_.KeyLength()),
            std::span<const uint32_t>(recnos[i].data(), used[i]));
        keys[i].Reset();
        recnos[i].Reset();
    });
    for (IndexOrder* o : orders) {
        o->known_ = count;
        o->lastBuild_ = DeletedSeen{pass.deleted, count};
        o->Changed();
        o->builtVersion_ = o->version_;
    }
}

void IndexOrder::RebuildUnlessSame(DbfTable& table, std::span<IndexOrder* const> orders) {
    const uint32_t count = table.RecordCount();
    const uint64_t followed = table.ForeignChanges();
    const std::size_t n = orders.size();
    // Each record's entry per order, found by its number; a number out of range or twice
    // means the entries differ from a build's.
    std::vector<PageArray<std::string_view>> stored(n);
    std::vector<PageArray<char>> has(n);
    const std::unique_ptr<std::atomic<bool>[]> same(new std::atomic<bool>[n]);
    ParallelFor(n, [&](std::size_t i) {
        const KeyIndex& index = orders[i]->index_;
        bool ok = index.Size() <= count;
        if (ok) {
            stored[i] = PageArray<std::string_view>(count);
            has[i] = PageArray<char>(count);
            index.ForEachEntry([&](std::string_view key, uint32_t recno) {
                if (!ok || recno == 0 || recno > count || has[i][recno - 1] != 0) {
                    ok = false;
                    return;
                }
                has[i][recno - 1] = 1;
                stored[i][recno - 1] = key;
            });
        }
        same[i].store(ok);
    });
    std::vector<EvalSettings> evals;
    for (const IndexOrder* o : orders) {
        evals.push_back(o->Eval());
    }
    const std::vector<std::optional<std::size_t>> direct = DirectKeys(table, orders);
    // The pass a build would make, comparing each key with its entry instead of sorting.
    Pass pass = ReadAllRecords(
        table, count, [&](uint32_t recno, std::string_view record, std::string& key) {
            for (std::size_t i = 0; i < n; ++i) {
                if (!same[i].load(std::memory_order_relaxed)) {
                    continue;
                }
                const IndexOrder& o = *orders[i];
                // Entries lie in key order, records come in record order: fetch ahead.
                constexpr uint32_t kAhead = 8;
                if (recno + kAhead <= count && has[i][recno + kAhead - 1] != 0) {
                    __builtin_prefetch(stored[i][recno + kAhead - 1].data());
                }
                bool match = false;
                if (!o.Included(recno, record)) {
                    match = has[i][recno - 1] == 0;
                } else if (has[i][recno - 1] != 0) {
                    std::string_view built;
                    if (direct[i]) {
                        built = record.substr(*direct[i], o.key_.KeyLength());
                    } else {
                        o.AppendBuildKey(recno, record, evals[i], key);
                        built = key;
                    }
                    const std::string_view entry = stored[i][recno - 1];
                    // Entries are held without trailing blanks; the rest of the key is blanks.
                    match = entry.size() <= built.size() &&
                            std::memcmp(built.data(), entry.data(), entry.size()) == 0 &&
                            TrimRight(built.substr(entry.size())).empty();
                }
                if (!match) {
                    same[i].store(false, std::memory_order_relaxed);
                }
            }
        });
    stored.clear();
    has.clear();
    std::vector<IndexOrder*> differing;
    for (std::size_t i = 0; i < n; ++i) {
        IndexOrder& o = *orders[i];
        if (!same[i].load()) {
            differing.push_back(&o);
            continue;
        }
        // A build would give these very entries: they stay. Their file is written as a
        // build's unless it already holds exactly them: nothing changed since this open saved
        // it, no record was in flight, and nobody replaced the file since.
        const bool fileHoldsThem = !o.dirty_ && o.known_ == count && pass.held.empty() &&
                                   o.savedStamp_ == table.Stamp() && o.savedFile_ &&
                                   StatOf(o.path_) == o.savedFile_;
        o.dirty_ = !fileHoldsThem;
        o.known_ = count;
        o.followed_ = followed;
        o.inFlight_.clear();
        for (const auto& [recno, bytes] : pass.held) {
            o.inFlight_.emplace(recno, bytes);
        }
        o.lastBuild_ = DeletedSeen{pass.deleted, count};
        o.builtVersion_ = o.version_;
    }
    if (!differing.empty()) {
        Rebuild(table, differing);
    }
}

bool IndexOrder::Current() {
    // Only an exclusive open can know that nobody else wrote the table since.
    if (table_.Mode() != OpenMode::kExclusive || !builtVersion_ || *builtVersion_ != version_ ||
        dirty_ || !savedFile_ || known_ != table_.RecordCount() || savedStamp_ != table_.Stamp()) {
        return false;
    }
    return StatOf(path_) == savedFile_;
}

void IndexOrder::Save() {
    CatchUp();
    WriteFile(table_.StampForSave());
}

void IndexOrder::SaveAll(std::span<IndexOrder* const> orders) {
    std::vector<IndexOrder*> changed;
    for (IndexOrder* o : orders) {
        if (o->dirty_) {
            o->CatchUp();
            changed.push_back(o);
        }
    }
    if (changed.empty()) {
        return;
    }
    const uint32_t stamp = changed.front()->table_.StampForSave();
    ParallelFor(changed.size(), [&](std::size_t i) { changed[i]->WriteFile(stamp); });
}

void IndexOrder::WriteFile(uint32_t stamp) {
    IndexFileInfo info;
    info.keyExpression = key_.Expr().Text();
    info.condition = conditionText_;
    info.keyType = static_cast<char>(key_.Type());
    info.descending = index_.Descending();
    info.recordCount = known_;
    info.tableStamp = stamp;
    savedFile_.reset();
    if (inFlight_.empty()) {
        SaveKeyIndexFile(path_, info, index_);
    } else {
        // Records that their writers still fill in are left to the next open to add.
        info.recordCount = inFlight_.begin()->first - 1;
        KeyIndex settled(index_.KeyLength(), index_.Descending());
        index_.ForEachEntry([&](std::string_view key, uint32_t recno) {
            if (recno <= info.recordCount) {
                settled.AppendSorted(key, recno);
            }
        });
        SaveKeyIndexFile(path_, info, settled);
    }
    dirty_ = false;
    savedFile_ = StatOf(path_);
    savedStamp_ = info.tableStamp;
}

void IndexOrder::SaveIfChanged(Over over) {
    if (!dirty_) {
        return;
    }
    // Another open wrote the file after this one read or wrote it: what it holds is its own.
    if (over == Over::kOnlyOwnFile) {
        const auto now = StatOf(path_);
        if (now && now != savedFile_) {
            return;
        }
    }
    Save();
}

void IndexOrder::Changed() {
    ++version_;
    dirty_ = true;
}

void IndexOrder::CatchUp() {
    FollowInFlight();
    const uint32_t count = table_.RecordCount();
    FollowChangesElsewhere();
    if (count > known_) {
        CatchUpTo(count);
    } else if (count < known_) {
        // Records vanished under the entries (the table was rebuilt elsewhere): start over.
        IndexOrder* const one[] = {this};
        Rebuild(table_, one);
    }
}

void IndexOrder::CatchUpTo(uint32_t last) {
    const auto length = static_cast<std::size_t>(table_.RecordLength());
    const uint32_t block = table_.RecordsPerBlock();
    std::vector<char> buffer;
    // An append shows in the count only while its writer holds the record; asked before the
    // read, a record let go of reads as finished.
    const std::vector<uint32_t> held = table_.RecordsHeldElsewhere(known_ + 1, last);
    auto nextHeld = held.begin();
    while (known_ < last) {
        const uint32_t first = known_ + 1;
        const uint32_t n = std::min(block, last - known_);
        buffer.resize(static_cast<std::size_t>(n) * length);
        table_.ReadRecords(first, n, buffer.data());
        for (uint32_t j = 0; j < n; ++j) {
            const std::string_view record(buffer.data() + j * length, length);
            if (nextHeld != held.end() && *nextHeld == first + j) {
                ++nextHeld;
                inFlight_.insert_or_assign(first + j, std::string(record));
            }
            if (Included(first + j, record)) {
                index_.Insert(KeyOf(first + j, record), first + j);
            }
        }
        known_ += n;
        Changed();
    }
}

void IndexOrder::FollowInFlight() {
    if (inFlight_.empty()) {
        return;
    }
    const std::vector<uint32_t> held =
        table_.RecordsHeldElsewhere(inFlight_.begin()->first, inFlight_.rbegin()->first);
    std::vector<char> record(static_cast<std::size_t>(table_.RecordLength()));
    for (auto it = inFlight_.begin(); it != inFlight_.end();) {
        const uint32_t recno = it->first;
        // The lock is asked before the read: bytes read after the writer let go are final.
        const bool stillHeld = std::binary_search(held.begin(), held.end(), recno);
        if (recno > table_.CachedRecordCount()) {
            it = inFlight_.erase(it);
            continue;
        }
        table_.ReadRecord(recno, record.data());
        const std::string_view now(record.data(), record.size());
        if (now != it->second) {
            Rekey(recno, it->second, now);
            it->second.assign(now);
        }
        it = stillHeld ? std::next(it) : inFlight_.erase(it);
    }
}

void IndexOrder::FollowChangesElsewhere() {
    const uint64_t now = table_.ForeignChanges();
    if (now == followed_) {
        return;
    }
    const std::optional<std::vector<uint32_t>> changed = table_.ChangedSince(followed_);
    followed_ = now;
    if (!changed) {
        IndexOrder* const one[] = {this};
        RebuildUnlessSame(table_, one);
        dirty_ = true;  // the file was made for an older stamp
        return;
    }
    std::vector<char> record(static_cast<std::size_t>(table_.RecordLength()));
    for (const uint32_t recno : *changed) {
        if (recno > known_ || recno > table_.CachedRecordCount()) {
            continue;  // not keyed yet: the catch-up reads it
        }
        table_.ReadRecord(recno, record.data());
        const std::string_view now(record.data(), record.size());
        if (const auto it = inFlight_.find(recno); it != inFlight_.end()) {
            it->second.assign(now);
        }
        const bool in = Included(recno, now);
        const std::string key = in ? KeyOf(recno, now) : std::string();
        if (in && index_.PositionOf(key, recno)) {
            dirty_ = true;
            continue;
        }
        index_.EraseRecord(recno);
        if (in) {
            index_.Insert(key, recno);
        }
        Changed();
    }
    dirty_ = true;
}

uint64_t IndexOrder::Version() {
    CatchUp();
    return version_;
}

void IndexOrder::RecordWritten(uint32_t recno, const char* before, const char* after) {
    if (recno > known_) {
        CatchUpTo(recno);  // the table holds the new record already
        return;
    }
    const auto length = static_cast<std::size_t>(table_.RecordLength());
    if (const auto it = inFlight_.find(recno); it != inFlight_.end()) {
        it->second.assign(after, length);  // this open writes it now, so nobody else holds it
    }
    Rekey(recno, before == nullptr ? std::string_view() : std::string_view(before, length),
          std::string_view(after, length));
}

void IndexOrder::AppendTakenBack(uint32_t recno, const char* record) {
    inFlight_.erase(recno);
    if (recno > known_) {
        return;  // never keyed
    }
    const std::string_view bytes(record, static_cast<std::size_t>(table_.RecordLength()));
    if (Included(recno, bytes) && !index_.Erase(KeyOf(recno, bytes), recno)) {
        index_.EraseRecord(recno);
    }
    known_ = recno - 1;
    Changed();
}

void IndexOrder::Rekey(uint32_t recno, std::string_view before, std::string_view after) {
    const std::string_view newRecord = after;
    const bool nowIn = Included(recno, newRecord);
    const std::string newKey = nowIn ? KeyOf(recno, newRecord) : std::string();
    if (before.data() != nullptr) {
        const std::string_view oldRecord = before;
        const bool wasIn = Included(recno, oldRecord);
        const std::string oldKey = wasIn ? KeyOf(recno, oldRecord) : std::string();
        if (wasIn == nowIn && oldKey == newKey) {
            return;
        }
        // Another process may have changed the record under an entry that we still hold.
        if (wasIn && !index_.Erase(oldKey, recno)) {
            index_.EraseRecord(recno);
        }
    }
    if (nowIn) {
        index_.Insert(newKey, recno);
    }
    Changed();
}

void IndexOrder::SetScope(std::optional<std::string_view> top,
                          std::optional<std::string_view> bottom) {
    EvalSettings prefix = Eval();
    prefix.exact = false;  // both ends match as prefixes
    top_.reset();
    bottom_.reset();
    if (top) {
        top_ = key_.SeekKey(*top, prefix);
    }
    if (bottom) {
        bottom_ = key_.SeekKey(*bottom, prefix);
    }
    ++version_;
}

KeyRange IndexOrder::Range() {
    CatchUp();
    if (rangeVersion_ != version_) {
        range_ = index_.Scope(top_, bottom_);
        rangeVersion_ = version_;
    }
    return range_;
}

void IndexOrder::NoteCursor(uint32_t recno, std::size_t position) {
    cursorVersion_ = version_;
    cursorRecno_ = recno;
    cursorPosition_ = position;
}

std::size_t IndexOrder::Locate(uint32_t recno, bool* present) {
    if (cursorVersion_ == version_ && cursorRecno_ == recno) {
        *present = true;
        return cursorPosition_;
    }
    const auto length = static_cast<std::size_t>(table_.RecordLength());
    std::vector<char> record(length);
    table_.ReadRecord(recno, record.data());
    const std::string_view bytes(record.data(), length);
    const std::string key = KeyOf(recno, bytes);
    if (const auto p = index_.PositionOf(key, recno)) {
        *present = true;
        return *p;
    }
    if (Included(recno, bytes)) {
        // Changed by another process under its entry: find the entry by its number.
        if (const auto p = index_.PositionOfRecord(recno)) {
            *present = true;
            return *p;
        }
    }
    *present = false;
    return index_.LowerBound(key, recno);
}

uint32_t IndexOrder::First() {
    const KeyRange r = Range();
    if (r.first >= r.last) {
        return 0;
    }
    const uint32_t recno = index_.RecnoAt(r.first);
    NoteCursor(recno, r.first);
    return recno;
}

uint32_t IndexOrder::Last() {
    const KeyRange r = Range();
    if (r.first >= r.last) {
        return 0;
    }
    const uint32_t recno = index_.RecnoAt(r.last - 1);
    NoteCursor(recno, r.last - 1);
    return recno;
}

uint32_t IndexOrder::Next(uint32_t recno) {
    const KeyRange r = Range();
    if (recno == 0 || recno > known_) {
        return 0;
    }
    bool present = false;
    std::size_t p = Locate(recno, &present);
    if (present) {
        ++p;
    }
    p = std::max(p, r.first);
    if (p >= r.last) {
        return 0;
    }
    const uint32_t next = index_.RecnoAt(p);
    NoteCursor(next, p);
    return next;
}

uint32_t IndexOrder::Prior(uint32_t recno) {
    const KeyRange r = Range();
    if (recno == 0 || recno > known_) {
        return Last();
    }
    bool present = false;
    std::size_t p = Locate(recno, &present);
    p = std::min(p, r.last);
    if (p <= r.first) {
        return 0;
    }
    --p;
    const uint32_t prior = index_.RecnoAt(p);
    NoteCursor(prior, p);
    return prior;
}

IndexOrder::SeekResult IndexOrder::Seek(std::string_view text,
                                        const std::function<bool(uint32_t)>& visible) {
    const KeyRange r = Range();
    const std::string key = key_.SeekKey(text, Eval());
    for (std::size_t p = std::max(index_.Seek(key), r.first); p < r.last; ++p) {
        const uint32_t recno = index_.RecnoAt(p);
        if (visible(recno)) {
            NoteCursor(recno, p);
            return SeekResult{recno, index_.KeyMatches(p, key)};
        }
    }
    return SeekResult{};
}

void IndexOrder::ForEachInScope(const std::function<void(uint32_t)>& visit) {
    const KeyRange r = Range();
    for (std::size_t p = r.first; p < r.last; ++p) {
        visit(index_.RecnoAt(p));
    }
}

void IndexOrder::ForEachEntryInScope(
    const std::function<void(std::size_t position, uint32_t recno)>& visit) {
    const KeyRange r = Range();
    for (std::size_t p = r.first; p < r.last; ++p) {
        visit(p, index_.At(p).recno);
    }
}

bool IndexOrder::InScope(std::size_t position) {
    const KeyRange r = Range();
    return position >= r.first && position < r.last;
}

uint32_t IndexOrder::RecNoAt(std::size_t position) {
    CatchUp();
    return position < index_.Size() ? index_.RecnoAt(position) : 0;
}

std::optional<std::size_t> IndexOrder::EntryPositionOf(uint32_t recno) {
    CatchUp();
    if (recno == 0 || recno > known_) {
        return std::nullopt;
    }
    // The entries are in memory; a scan of their record numbers is cheaper than a read.
    if (cursorVersion_ == version_ && cursorRecno_ == recno) {
        return cursorPosition_;
    }
    return index_.PositionOfRecord(recno);
}

uint32_t IndexOrder::PositionOf(uint32_t recno, std::string_view record) {
    CatchUp();
    if (recno == 0 || recno > known_) {
        return 0;
    }
    if (const auto p = index_.PositionOf(KeyOf(recno, record), recno)) {
        return static_cast<uint32_t>(*p + 1);
    }
    return 0;
}

}  // namespace xb
