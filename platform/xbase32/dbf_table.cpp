#include "platform/xbase32/dbf_table.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

#include "platform/xbase32/error.h"
#include "platform/xbase32/file_lock.h"

namespace xb {

namespace {

std::string ReplaceExtension(const std::string& path, const std::string& ext) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + ext;
    }
    return path.substr(0, dot) + ext;
}

}  // namespace

std::string DbfTable::MemoPathFor(const std::string& dbfPath) {
    const auto dot = dbfPath.rfind('.');
    bool lower = dot != std::string::npos && dot + 1 < dbfPath.size() &&
                 std::islower(static_cast<unsigned char>(dbfPath[dot + 1]));
    return ReplaceExtension(dbfPath, lower ? ".fpt" : ".FPT");
}

void DbfTable::Create(const std::string& path, const std::vector<FieldDesc>& fields,
                      int memoBlockSize) {
    if (fields.empty()) {
        throw Error("a table needs at least one field");
    }
    DbfHeader h = MakeDbfHeader(fields);
    std::string bytes = EncodeDbfHeader(h);
    bytes.push_back(kEndOfFile);
    if (h.HasMemo()) {
        MemoFile::Create(MemoPathFor(path), memoBlockSize);
    }
    File f = File::Open(path, O_RDWR | O_CREAT | O_TRUNC);
    f.WriteAt(0, bytes.data(), bytes.size());
}

std::unique_ptr<DbfTable> DbfTable::Open(const std::string& path, OpenMode mode) {
    const std::string found = FindFileIgnoringCase(path);
    if (found.empty()) {
        throw Error("table " + path + " does not exist");
    }
    std::unique_ptr<DbfTable> t(new DbfTable);
    t->mode_ = mode;
    const bool exclusive = mode == OpenMode::kExclusive;
    // Another open finishing a stopped pack holds the table a moment and may put another file
    // in its place: wait for it, and take the file that then lies under the name.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    auto pause = std::chrono::microseconds(500);
    for (;;) {
        t->dbf_ = File::Open(found, mode == OpenMode::kReadOnly ? O_RDONLY : O_RDWR);
        if (TryLock(t->dbf_.Fd(), lock_offset::kOpen,
                    exclusive ? LockKind::kExclusive : LockKind::kShared)) {
            if (NamesSameFile(t->dbf_, found)) {
                break;
            }
            continue;
        }
        const bool recovering =
            !HeldElsewhere(t->dbf_.Fd(), lock_offset::kRecovery, lock_offset::kRecovery).empty();
        if (!recovering || Clock::now() >= deadline) {
            throw Error(exclusive ? "table " + found + " is open elsewhere"
                                  : "table " + found + " is held exclusively elsewhere");
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20000));
    }
    t->LoadHeader();
    if (t->header_.HasMemo()) {
        const std::string memo = FindFileIgnoringCase(MemoPathFor(found));
        if (memo.empty()) {
            // Other tools write dBase III memos beside such a table; say why it is not read.
            if (!FindFileIgnoringCase(ReplaceExtension(found, ".dbt")).empty()) {
                throw Error("memo file of " + found +
                            " is a dBase III memo file (.dbt), which this engine does not read");
            }
            throw Error("memo file of " + found + " is missing");
        }
        t->memo_ = std::make_unique<MemoFile>(MemoFile::Open(memo, t->Writable()));
    }
    return t;
}

void DbfTable::LoadHeader() {
    std::string prefix(kDbfPrefixSize, '\0');
    prefix.resize(dbf_.ReadSome(0, prefix.data(), prefix.size()));
    const uint16_t length = HeaderLengthOf(prefix);
    std::string bytes(length, '\0');
    bytes.resize(dbf_.ReadSome(0, bytes.data(), bytes.size()));
    header_ = ParseDbfHeader(bytes);
    count_ = RecordsHeld(header_, dbf_.Size());
    quietAbove_ = count_;
    MapRecords();
}

void DbfTable::MapRecords() {
    const uint64_t needed = header_.headerLength +
                            static_cast<uint64_t>(count_) * static_cast<uint64_t>(RecordLength());
    if (map_.Covers(0, needed)) {
        return;
    }
    // Room to grow, so that appends seldom map anew; pages past the file's end are never read.
    static const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    const uint64_t wanted = (needed + needed / 2 + (1u << 20) + page - 1) / page * page;
    map_ = FileMap();
    map_ = FileMap::Of(dbf_.Fd(), static_cast<std::size_t>(wanted));
}

namespace {

std::atomic<uint64_t> g_calls{0};
thread_local uint64_t t_call = 0;  // 0 outside a call
thread_local int t_depth = 0;

}  // namespace

CallScope::CallScope() {
    if (t_depth++ == 0) {
        t_call = g_calls.fetch_add(1, std::memory_order_relaxed) + 1;
    }
}

CallScope::~CallScope() {
    if (--t_depth == 0) {
        t_call = 0;
    }
}

uint32_t DbfTable::RecordCount() {
    if (mode_ != OpenMode::kExclusive && (t_call == 0 || countCall_ != t_call)) {
        ReadCount();
    }
    return count_;
}

bool DbfTable::Holds(int64_t recno) {
    return recno >= 1 && (recno <= count_ || recno <= RecordCount());
}

uint32_t DbfTable::ReadCount() {
    countCall_ = t_call;
    if (mode_ != OpenMode::kExclusive) {
        // The count and the change stamp in one read.
        constexpr std::size_t kFrom = 4;
        unsigned char b[kChangeStampAt + kChangeStampSize - kFrom];
        if (!map_.Read(kFrom, sizeof b, b)) {
            dbf_.ReadExact(kFrom, b, sizeof b);
        }
        Learn(DecodeChangeStamp(std::string_view(
            reinterpret_cast<const char*>(b) + (kChangeStampAt - kFrom), kChangeStampSize)));
        const uint32_t count = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                               static_cast<uint32_t>(b[2]) << 16 |
                               static_cast<uint32_t>(b[3]) << 24;
        // Shared opens only ever grow the file, so while the count stays as it was and the
        // file held all of it, it still does: no need to ask for the file's size.
        if (count == header_.recordCount && count_ == count) {
            return count_;
        }
        header_.recordCount = count;
        count_ = RecordsHeld(header_, dbf_.Size());
        MapRecords();
    }
    return count_;
}

void DbfTable::Learn(std::optional<ChangeStamp> now) {
    if (!now) {
        NoteForeign(0);  // half written: the next read that differs is learnt again
        return;
    }
    if (now->counter != header_.stamp.counter) {
        NoteForeign(ChangedRecord(header_.stamp.counter, *now));
    }
    header_.stamp = *now;
    // An odd counter is a write under way, whose writer holds the record: when the writer no
    // longer does without having marked the end, it stopped, and the bytes it left are final.
    if (now->counter % 2 == 1 && settledOdd_ != now->counter) {
        const uint32_t r = now->record;
        if (r == 0 || RecordsHeldElsewhere(r, r).empty()) {
            settledOdd_ = now->counter;
            NoteForeign(r);
        }
    }
}

void DbfTable::NoteForeign(uint32_t record) {
    constexpr std::size_t kKept = 64;
    if (foreignLog_.size() == kKept) {
        foreignLog_.pop_front();
    }
    foreignLog_.push_back(record);
    ++foreign_;
}

std::optional<std::vector<uint32_t>> DbfTable::ChangedSince(uint64_t seen) const {
    std::vector<uint32_t> records;
    if (seen > foreign_ || foreign_ - seen > foreignLog_.size()) {
        return std::nullopt;
    }
    for (auto it = foreignLog_.end() - static_cast<std::ptrdiff_t>(foreign_ - seen);
         it != foreignLog_.end(); ++it) {
        if (*it == 0) {
            return std::nullopt;
        }
        records.push_back(*it);
    }
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

uint32_t DbfTable::StampForSave() {
    stampSeen_ = true;
    // What this open appended is keyed in the file as it stands now: a later write stamps.
    appendedHeld_.clear();
    quietAbove_ = count_;
    return header_.stamp.counter;
}

void DbfTable::WriteStamp(ChangeStamp stamp) {
    const std::string bytes = EncodeChangeStamp(stamp);
    dbf_.WriteAt(kChangeStampAt, bytes.data(), bytes.size());
    header_.stamp = stamp;
}

// Marks a change of a record (0: of any) in the stamp around the write of its bytes. Shared:
// under the stamp lock, the marks before and after; exclusive: one mark at the first change
// after the open or an index file's save, before the bytes, so that a stop midway is seen.
class DbfTable::StampedChange {
  public:
    StampedChange(DbfTable& table, uint32_t record) : table_(table), record_(record) {
        if (!table_.Shared()) {
            if (table_.stampSeen_) {
                table_.WriteStamp(StampOfWholeChange(table_.header_.stamp));
                table_.stampSeen_ = false;
            }
            return;
        }
        // Held for two small writes around one record's: a second or two is a stuck holder.
        constexpr int kStampLockSeconds = 5;
        if (!LockWithTimeout(table_.dbf_.Fd(), lock_offset::kStamp, LockKind::kExclusive,
                             kStampLockSeconds)) {
            throw Error("the change stamp of " + table_.Path() + " stays locked elsewhere");
        }
        locked_ = true;
        char b[kChangeStampSize];
        table_.dbf_.ReadExact(kChangeStampAt, b, sizeof b);
        table_.Learn(DecodeChangeStamp(std::string_view(b, sizeof b)));
        before_ = StampBeforeWrite(table_.header_.stamp, record_);
        table_.WriteStamp(before_);
    }
    ~StampedChange() {
        if (!locked_) {
            return;
        }
        try {
            table_.WriteStamp(StampAfterWrite(before_));
        } catch (const std::exception&) {
            // The odd mark stays: the next writer counts it as done, readers saw a change.
        }
        Unlock(table_.dbf_.Fd(), lock_offset::kStamp);
    }
    StampedChange(const StampedChange&) = delete;
    StampedChange& operator=(const StampedChange&) = delete;

  private:
    DbfTable& table_;
    uint32_t record_;
    bool locked_ = false;
    ChangeStamp before_;
};

namespace {
std::atomic<uint64_t> g_recordsRead{0};
}  // namespace

uint64_t DbfTable::RecordsRead() {
    return g_recordsRead.load(std::memory_order_relaxed);
}

void DbfTable::ReadRecords(uint32_t first, uint32_t n, char* buffer) const {
    if (first < 1 || n > count_ || first > count_ - n + 1) {
        throw Error("record " + std::to_string(first) + " does not exist");
    }
    const uint64_t at = header_.headerLength + static_cast<uint64_t>(first - 1) * RecordLength();
    const size_t bytes = static_cast<size_t>(n) * static_cast<size_t>(RecordLength());
    // Bulk reads go through pread: one call pays for many records, and pages touched through
    // the mapping count as this process's resident memory until it is unmapped.
    constexpr size_t kMappedReadLimit = 64 * 1024;
    if (bytes > kMappedReadLimit || !map_.Read(at, bytes, buffer)) {
        dbf_.ReadExact(at, buffer, bytes);
    }
    g_recordsRead.fetch_add(n, std::memory_order_relaxed);
}

uint32_t DbfTable::RecordsPerBlock() const {
    constexpr uint32_t kBlockBytes = 1 << 20;
    return std::max<uint32_t>(1, kBlockBytes / static_cast<uint32_t>(RecordLength()));
}

void DbfTable::ForEachRecord(
    uint32_t first, uint32_t last,
    const std::function<void(uint32_t recno, const char* record)>& visit) const {
    const auto length = static_cast<std::size_t>(RecordLength());
    const uint32_t block = RecordsPerBlock();
    std::vector<char> buffer;
    for (uint32_t from = first; from <= last && from != 0; from += block) {
        const uint32_t n = std::min(block, last - from + 1);
        buffer.resize(static_cast<std::size_t>(n) * length);
        ReadRecords(from, n, buffer.data());
        for (uint32_t j = 0; j < n; ++j) {
            visit(from + j, buffer.data() + j * length);
        }
    }
}

void DbfTable::StampOnce() {
    written_ = true;
    if (stamped_) {
        return;
    }
    StampToday(header_);
    const char ymd[3] = {static_cast<char>(header_.year - 1900), static_cast<char>(header_.month),
                         static_cast<char>(header_.day)};
    dbf_.WriteAt(1, ymd, sizeof ymd);
    stamped_ = true;
}

void DbfTable::WriteRecord(uint32_t recno, const char* buffer) {
    if (!Writable()) {
        throw Error("table is open read-only");
    }
    if (recno < 1 || recno > count_) {
        throw Error("record " + std::to_string(recno) + " does not exist");
    }
    StampOnce();
    std::optional<StampedChange> change;
    if (Shared() ? appendedHeld_.count(recno) == 0 : recno <= quietAbove_) {
        change.emplace(*this, recno);
    }
    const uint64_t at = header_.headerLength + static_cast<uint64_t>(recno - 1) * RecordLength();
    dbf_.WriteAt(at, buffer, static_cast<size_t>(RecordLength()));
}

void DbfTable::WriteCount(uint32_t count) {
    const char b[4] = {static_cast<char>(count & 0xFF), static_cast<char>((count >> 8) & 0xFF),
                       static_cast<char>((count >> 16) & 0xFF), static_cast<char>(count >> 24)};
    dbf_.WriteAt(4, b, sizeof b);
    header_.recordCount = count;
    count_ = count;
    MapRecords();
}

uint32_t DbfTable::Append(const char* buffer, int lockTimeout) {
    if (!Writable()) {
        throw Error("table is open read-only");
    }
    const bool shared = Shared();
    if (shared &&
        !LockWithTimeout(dbf_.Fd(), lock_offset::kHeader, LockKind::kExclusive, lockTimeout)) {
        return 0;
    }
    uint32_t locked = 0;
    std::optional<FileTail> tail;
    try {
        const uint32_t recno = ReadCount() + 1;
        // The record is locked before the count shows it, so that another open never takes
        // the blank record for a finished one. Nobody else can know it yet: this cannot wait.
        if (shared && !LockRecord(recno, 0)) {
            throw Error("record " + std::to_string(recno) + " is locked elsewhere");
        }
        locked = shared ? recno : 0;
        const size_t length = static_cast<size_t>(RecordLength());
        const uint64_t at = header_.headerLength + static_cast<uint64_t>(recno - 1) * length;
        tail = KeepTail(at, length + 1);
        StampOnce();
        std::string out(buffer, length);
        out.push_back(kEndOfFile);
        dbf_.WriteAt(at, out.data(), out.size());
        WriteCount(recno);
        if (shared) {
            appendedHeld_.insert(recno);
            Unlock(dbf_.Fd(), lock_offset::kHeader);
        }
        return recno;
    } catch (...) {
        if (tail) {
            PutBackTail(*tail);
        }
        if (shared) {
            if (locked != 0 && count_ < locked) {
                UnlockRecord(locked);  // the count never showed it
            }
            Unlock(dbf_.Fd(), lock_offset::kHeader);
        }
        throw;
    }
}

DbfTable::FileTail DbfTable::KeepTail(uint64_t at, std::size_t length) const {
    FileTail tail;
    tail.at = at;
    tail.size = dbf_.Size();
    tail.count = header_.recordCount;
    tail.stamped = stamped_;
    tail.year = header_.year;
    tail.month = header_.month;
    tail.day = header_.day;
    if (tail.size > at) {
        tail.bytes.resize(static_cast<std::size_t>(std::min<uint64_t>(tail.size - at, length)));
        if (!map_.Read(at, tail.bytes.size(), tail.bytes.data())) {
            tail.bytes.resize(dbf_.ReadSome(at, tail.bytes.data(), tail.bytes.size()));
        }
    }
    return tail;
}

void DbfTable::PutBackTail(const FileTail& tail) noexcept {
    // Each step only shrinks the file or writes where it already reaches, which a full disk
    // still allows; one that fails anyway leaves the others to do what they can.
    const auto attempt = [](auto&& step) {
        try {
            step();
        } catch (const std::exception&) {
        }
    };
    attempt([&] { dbf_.Truncate(tail.size); });
    if (!tail.bytes.empty()) {
        attempt([&] { dbf_.WriteAt(tail.at, tail.bytes.data(), tail.bytes.size()); });
    }
    attempt([&] { WriteCount(tail.count); });  // also when its own write stopped half-way
    if (stamped_ && !tail.stamped) {
        const char ymd[3] = {static_cast<char>(tail.year - 1900), static_cast<char>(tail.month),
                             static_cast<char>(tail.day)};
        attempt([&] { dbf_.WriteAt(1, ymd, sizeof ymd); });
        header_.year = tail.year;
        header_.month = tail.month;
        header_.day = tail.day;
        stamped_ = false;
    }
}

bool DbfTable::TakeBackAppend(uint32_t recno, int lockTimeout) {
    const bool shared = Shared();
    if (shared &&
        !LockWithTimeout(dbf_.Fd(), lock_offset::kHeader, LockKind::kExclusive, lockTimeout)) {
        return false;
    }
    bool taken = false;
    try {
        if (ReadCount() == recno && HoldsRecordLock(recno)) {
            WriteCount(recno - 1);
            taken = true;
            // The end marker goes where the record began, inside what the file holds; past
            // the count the record is gone for every reader already.
            const uint64_t at =
                header_.headerLength + static_cast<uint64_t>(recno - 1) * RecordLength();
            const char eof = kEndOfFile;
            dbf_.WriteAt(at, &eof, 1);
            dbf_.Truncate(at + 1);
        }
    } catch (const std::exception&) {
    }
    if (shared) {
        Unlock(dbf_.Fd(), lock_offset::kHeader);
    }
    if (taken) {
        UnlockRecord(recno);
    }
    return taken;
}

bool DbfTable::LockRecord(uint32_t recno, int timeout) {
    if (!Shared() || recordLocks_.count(recno) != 0) {
        return true;
    }
    if (!LockWithTimeout(dbf_.Fd(), lock_offset::kRecordBase + recno, LockKind::kExclusive,
                         timeout)) {
        return false;
    }
    recordLocks_.insert(recno);
    return true;
}

bool DbfTable::HoldsRecordLock(uint32_t recno) const {
    return !Shared() || recordLocks_.count(recno) != 0;
}

void DbfTable::UnlockRecord(uint32_t recno) {
    appendedHeld_.erase(recno);
    if (recordLocks_.erase(recno) != 0) {
        Unlock(dbf_.Fd(), lock_offset::kRecordBase + recno);
    }
}

std::vector<uint32_t> DbfTable::RecordsHeldElsewhere(uint32_t first, uint32_t last) const {
    std::vector<uint32_t> held;
    if (mode_ == OpenMode::kExclusive || first > last) {
        return held;
    }
    for (const uint64_t byte : HeldElsewhere(dbf_.Fd(), lock_offset::kRecordBase + first,
                                             lock_offset::kRecordBase + last)) {
        held.push_back(static_cast<uint32_t>(byte - lock_offset::kRecordBase));
    }
    return held;
}

void DbfTable::UnlockAll() {
    for (uint32_t recno : recordLocks_) {
        Unlock(dbf_.Fd(), lock_offset::kRecordBase + recno);
    }
    recordLocks_.clear();
    appendedHeld_.clear();
}

bool DbfTable::LockMemo(int timeout) {
    return !Shared() ||
           LockWithTimeout(dbf_.Fd(), lock_offset::kMemo, LockKind::kExclusive, timeout);
}

void DbfTable::UnlockMemo() {
    if (Shared()) {
        Unlock(dbf_.Fd(), lock_offset::kMemo);
    }
}

void DbfTable::Zap(int memoBlockSize) {
    if (mode_ != OpenMode::kExclusive) {
        throw Error("zap needs the table open exclusively");
    }
    StampOnce();
    WriteStamp(StampOfWholeChange(header_.stamp));
    stampSeen_ = false;
    WriteCount(0);
    const char eof = kEndOfFile;
    dbf_.WriteAt(header_.headerLength, &eof, 1);
    dbf_.Truncate(header_.headerLength + 1u);
    if (memo_) {
        memo_->Reset(memoBlockSize);
    }
}

void DbfTable::Sync() {
    dbf_.Sync();
    if (memo_) {
        memo_->Sync();
    }
}

void DbfTable::RewriteHeader(std::string_view bytes) {
    if (mode_ != OpenMode::kExclusive) {
        throw Error("the header is rewritten only in exclusive use");
    }
    written_ = true;
    dbf_.WriteAt(0, bytes.data(), bytes.size());
    LoadHeader();
}

void DbfTable::Adopt(File dbf, std::unique_ptr<MemoFile> memo) {
    map_ = FileMap();  // it shows the replaced file
    dbf_ = std::move(dbf);
    memo_ = std::move(memo);
    recordLocks_.clear();
    appendedHeld_.clear();
    stamped_ = false;
    stampSeen_ = true;
    LoadHeader();
}

}  // namespace xb
