#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/xbase32/dbf_header.h"
#include "platform/xbase32/file_io.h"
#include "platform/xbase32/file_map.h"
#include "platform/xbase32/memo_file.h"

namespace xb {

enum class OpenMode { kShared = 0, kReadOnly = 1, kExclusive = 2 };

// One call of the engine's interface. Inside it a shared open reads the header's count once:
// another process's append during the call is concurrent with it either way. Appends read the
// count under their lock regardless. Scopes nest; the outermost one counts.
class CallScope {
  public:
    CallScope();
    ~CallScope();
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
};

// One open of a DBF file with its memo file: header, raw records and the locks that let
// other opens (in this or another process) share it.
class DbfTable {
  public:
    // Creates an empty table (and its memo file when a field is a memo). Replaces files.
    static void Create(const std::string& path, const std::vector<FieldDesc>& fields,
                       int memoBlockSize);
    // The memo file's name for a table: the extension's case follows the table's.
    static std::string MemoPathFor(const std::string& dbfPath);

    // Finds the file without regard to case. Throws xb::Error when it is missing, damaged
    // or held by another open in a way the mode does not allow.
    static std::unique_ptr<DbfTable> Open(const std::string& path, OpenMode mode);

    const std::string& Path() const { return dbf_.Path(); }
    OpenMode Mode() const { return mode_; }
    bool Shared() const { return mode_ == OpenMode::kShared; }
    bool Writable() const { return mode_ != OpenMode::kReadOnly; }
    const DbfHeader& Header() const { return header_; }
    const std::vector<FieldDesc>& Fields() const { return header_.fields; }
    int RecordLength() const { return header_.recordLength; }
    MemoFile* Memo() { return memo_.get(); }

    // Records held; in shared use re-read from the header, since others append.
    uint32_t RecordCount();
    uint32_t CachedRecordCount() const { return count_; }
    // Whether the record exists. The count only grows while a table is open, so a record under
    // the count last seen needs no look at the header.
    bool Holds(int64_t recno);

    // Safe on several threads at once, as long as no other call runs meanwhile.
    void ReadRecord(uint32_t recno, char* buffer) const { ReadRecords(recno, 1, buffer); }
    void ReadRecords(uint32_t first, uint32_t n, char* buffer) const;
    // Records read at a time when many are walked.
    uint32_t RecordsPerBlock() const;
    // Records first..last (inclusive) in file order, read a block at a time; the record's
    // bytes are valid during visit only.
    void ForEachRecord(uint32_t first, uint32_t last,
                       const std::function<void(uint32_t recno, const char* record)>& visit) const;
    // Records read from table files by this process, for measuring what a view costs.
    static uint64_t RecordsRead();
    void WriteRecord(uint32_t recno, const char* buffer);

    // Appends under the header lock and leaves the new record locked in shared use.
    // Returns the new record number, 0 when the header lock timed out. A failed append
    // leaves the file as it was: its size, its end marker, the count and the date.
    uint32_t Append(const char* buffer, int lockTimeout);
    // Takes back this open's append of recno while it is still the last record and still
    // locked by this open: the count, the end marker and the file's size go back. False when
    // it cannot (another append came after it, or the file refused).
    bool TakeBackAppend(uint32_t recno, int lockTimeout);

    // Record locks: meaningful only in shared use; always granted otherwise.
    bool LockRecord(uint32_t recno, int timeout);
    bool HoldsRecordLock(uint32_t recno) const;
    void UnlockRecord(uint32_t recno);
    void UnlockAll();
    // Records in [first, last] whose lock another open holds: an append holds its record from
    // before the count shows it until its writer lets go. Empty in exclusive use.
    std::vector<uint32_t> RecordsHeldElsewhere(uint32_t first, uint32_t last) const;

    // Changes that other opens made to records the count held already, as this open learnt
    // them from the header's change stamp (read with the count): how many so far, and the
    // records changed since `seen` of them, ascending; nullopt when any record may have.
    uint64_t ForeignChanges() const { return foreign_; }
    std::optional<std::vector<uint32_t>> ChangedSince(uint64_t seen) const;
    // The stamp's counter as this open last read or wrote it: what an index file made now
    // was made for. Saving one makes the next write stamp anew, also in exclusive use.
    uint32_t Stamp() const { return header_.stamp.counter; }
    uint32_t StampForSave();

    // Keeps other writers of the memo file out while blocks are allocated.
    bool LockMemo(int timeout);
    void UnlockMemo();

    // Removes every record and memo (exclusive use only).
    void Zap(int memoBlockSize);
    void Sync();
    // Whether this open wrote anything, so that closing it flushes.
    bool Written() const { return written_; }
    void NoteMemoWritten() { written_ = true; }

    // The file as it lies: its size, raw bytes, and a new header written over the old one
    // (exclusive use only; the header is read again).
    uint64_t FileSize() const { return dbf_.Size(); }
    void ReadRaw(uint64_t at, char* out, std::size_t n) const { dbf_.ReadExact(at, out, n); }
    void RewriteHeader(std::string_view bytes);

    // Takes over files that replaced this table's on disk (after a pack); the new DBF
    // open must already hold the exclusive open lock.
    void Adopt(File dbf, std::unique_ptr<MemoFile> memo);

  private:
    // What an append may overwrite, to put back when it fails.
    struct FileTail {
        uint64_t at = 0;
        uint64_t size = 0;
        std::string bytes;
        uint32_t count = 0;
        bool stamped = false;
        int year = 0, month = 0, day = 0;
    };
    DbfTable() = default;
    FileTail KeepTail(uint64_t at, std::size_t length) const;
    void PutBackTail(const FileTail& tail) noexcept;
    void LoadHeader();
    uint32_t ReadCount();  // from the header, whatever the call has seen
    void WriteCount(uint32_t count);
    void StampOnce();
    // Widens the view of the file to every record the count holds.
    void MapRecords();
    // The stamp as read from the file, learnt: a counter other than the one seen is a change
    // by another open. nullopt (unreadable) counts as a change of any record.
    void Learn(std::optional<ChangeStamp> now);
    void NoteForeign(uint32_t record);
    void WriteStamp(ChangeStamp stamp);
    class StampedChange;

    File dbf_;
    FileMap map_;  // reads without system calls; pread where it does not reach
    std::unique_ptr<MemoFile> memo_;
    OpenMode mode_ = OpenMode::kShared;
    DbfHeader header_;
    uint32_t count_ = 0;
    uint64_t countCall_ = 0;  // the call in which count_ was read, 0 none
    bool stamped_ = false;
    bool written_ = false;
    std::set<uint32_t> recordLocks_;
    // Shared use: records this open appended and has held since. Other opens follow them as
    // appends being filled in, and no index file holds them yet: their writes need no stamp.
    std::set<uint32_t> appendedHeld_;
    // Exclusive use: records above this were appended since the open or the last index save.
    uint32_t quietAbove_ = 0;
    uint64_t foreign_ = 0;
    std::deque<uint32_t> foreignLog_;  // the last changes learnt, oldest first
    bool stampSeen_ = true;            // exclusive use: the next write stamps a change
    uint32_t settledOdd_ = 0;          // the odd counter last taken for a stopped writer's
};

}  // namespace xb
