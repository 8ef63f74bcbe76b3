#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xbase32/dbf_table.h"
#include "platform/xbase32/record_observer.h"
#include "platform/xbase32/record_order.h"
#include "platform/xbase32/settings.h"

namespace xb {

// One engine work area: an open table, its record buffer and the cursor over it.
// Failures throw xb::Error; the C interface turns them into failure results.
class WorkArea {
  public:
    WorkArea(std::string alias, std::unique_ptr<DbfTable> table, const Settings& settings);

    const std::string& Alias() const { return alias_; }
    DbfTable& Table() { return *table_; }
    const std::vector<FieldDesc>& Fields() const { return table_->Fields(); }
    const FieldDesc* FindField(std::string_view name) const;  // without regard to case
    int FieldNumber(std::string_view name) const;             // 1-based, 0 unknown
    int RecordSize() const { return table_->RecordLength(); }
    // Stable for the area's life; the caller may write it, which reaches no file.
    char* RecordBuffer() { return buffer_.data(); }
    std::string BaseName() const;  // file name without directory and extension

    // Position. Past the last visible record the cursor stands on a blank phantom record
    // numbered count + 1.
    void GoTop();
    void GoBottom();
    void Skip(int32_t n);
    void Go(int64_t recno);  // any record, visible or not
    // Go for a record that IsVisible has just judged: its read is not made twice.
    void GoVisible(uint32_t recno);
    uint32_t RecNo() const { return recno_; }
    uint32_t RecCount() { return table_->RecordCount(); }
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool Deleted() const { return !eof_ && buffer_[0] == '*'; }

    // Whether navigation stops on a record: the one place that decides (the order decides
    // which records it walks at all). The second form judges bytes already read.
    bool IsVisible(uint32_t recno);
    bool IsVisibleRecord(uint32_t recno, const char* record) const;
    using VisibilityTest = std::function<bool(uint32_t recno, const char* record)>;
    void SetVisibilityTest(VisibilityTest test) { extraTest_ = std::move(test); }
    void SetOrder(RecordOrder* order) { order_ = order != nullptr ? order : &natural_; }
    void AddWriteObserver(RecordWriteObserver* observer);
    void RemoveWriteObserver(RecordWriteObserver* observer);

    // Records.
    int Append();  // 0, 1 header lock timed out, 5 read-only
    void GetRecord(char* out) const;
    // A failed write of the record just appended (not written since) takes the append back
    // while nothing came after it, so that no blank record stays behind the failure.
    void PutRecord(const char* record);
    bool Lock(int64_t recno);     // re-reads the record when it is the current one
    void Unlock(uint32_t recno);  // 0: every lock
    void Delete();
    void Commit() { table_->Sync(); }
    void Zap();
    void Pack();

    // Values of the current record.
    std::string GetString(std::string_view field);
    std::string GetTrimString(std::string_view field);
    std::string GetDateString(std::string_view field);
    bool GetLogical(std::string_view field);
    bool Empty(std::string_view field);
    void Replace(std::string_view field, int kind, const void* value);
    std::string GetMemo(std::string_view field);
    uint32_t BlobLength(std::string_view field);
    // Writes new memo blocks and patches only the record buffer.
    void PutBlob(std::string_view field, const void* data, uint32_t length);

  private:
    const FieldDesc& RequireField(std::string_view name) const;
    const FieldDesc& RequireMemoField(std::string_view name) const;
    std::string_view FieldBytes(const FieldDesc& f) const;
    void SetFieldBytes(const FieldDesc& f, std::string_view bytes);
    uint32_t NextVisible(uint32_t recno);
    uint32_t PriorVisible(uint32_t recno);
    uint32_t FirstVisible();
    uint32_t LastVisible();
    void StandOn(uint32_t recno);  // a real record
    // StandOn for a record the visibility search just read: the read is not made twice.
    void StandOnFound(uint32_t recno);
    void StandAtEnd();  // the phantom record
    void StandAtEnd(uint32_t count);
    void RequireCurrent() const;
    void RequireWritable() const;
    // The one place where a record reaches the file.
    void WriteRecord(uint32_t recno, const char* record);
    uint32_t WriteMemo(std::string_view data);
    void TakeBackAppend();
    std::string ReadMemo(const FieldDesc& f) const;

    std::string alias_;
    std::unique_ptr<DbfTable> table_;
    const Settings& settings_;
    std::vector<char> buffer_;
    std::vector<char> scratch_;
    uint32_t scratchRecno_ = 0;  // the record IsVisible left in scratch_, 0 when none
    // A record as this open last wrote it, while nobody else can have written it since (its
    // lock held all along, or the table exclusive): a write then needs no read of it first.
    // The memo last read, while the cursor stands where it was read: a record's memo is
    // asked for by length, by bytes and as text in turn.
    struct MemoSeen {
        uint64_t standing = 0;
        int offset = -1;
        uint32_t block = 0;
        uint32_t length = 0;
        std::optional<std::string> data;
    };
    mutable MemoSeen memoSeen_;
    uint64_t standing_ = 0;  // counts every arrival on a record and every write
    const MemoSeen* SeenMemo(const FieldDesc& f, uint32_t block) const;
    uint32_t knownRecno_ = 0;
    std::vector<char> known_;
    uint32_t appended_ = 0;  // the record this area appended and has not written since
    void Know(uint32_t recno, const char* record);
    void ForgetIfUnlocked(uint32_t recno);
    uint32_t recno_ = 1;
    bool bof_ = false;
    bool eof_ = false;
    NaturalOrder natural_;
    RecordOrder* order_;
    VisibilityTest extraTest_;
    std::vector<RecordWriteObserver*> observers_;
};

// Kinds of values that Replace takes.
enum ReplaceKind {
    kReplaceDouble = 8,
    kReplaceLogical = 128,
    kReplaceText = 1024,
    kReplaceDateText = 1056,
    kReplaceMemo = 3072
};

}  // namespace xb
