#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xbase32/expression_key.h"
#include "platform/xbase32/key_index.h"
#include "platform/xbase32/record_order.h"
#include "platform/xbase32/settings.h"

namespace xb {

class DbfTable;

// One open index of a work area: its key (and condition), its entries in memory and its file.
// As a record order it walks the entries inside its scope; as a write observer it keeps them up
// to date when told of writes. Records that another process appended are added at the next
// access; a record whose writer still holds it (an append being filled in) is keyed again at
// every access until its writer lets go. Other opens' changes of existing records are learnt
// from the table's change stamp at the next access: the records named are keyed again, and
// when any may have changed every key is compared with its entry. The file names the stamp
// its entries were made for; a file made for another stamp is built anew when opened.
class IndexOrder final : public RecordOrder {
  public:
    // Builds the index over the whole table and writes its file (replacing one that is there).
    // Throws ExpressionError for an invalid key or condition, xb::Error or IndexFileError else.
    static std::unique_ptr<IndexOrder> Create(DbfTable& table, const Settings& settings,
                                              const std::string& path, std::string_view key,
                                              std::string_view condition, bool descending);
    // Reads an index file; refuses one that is damaged or does not fit the table.
    static std::unique_ptr<IndexOrder> Open(DbfTable& table, const Settings& settings,
                                            const std::string& path);

    const std::string& Path() const { return path_; }
    std::string TagName() const;  // the file's base name in upper case
    const std::string& KeyExpressionText() const { return key_.Expr().Text(); }
    const std::string& ConditionText() const { return conditionText_; }
    const KeyExpression& Key() const { return key_; }
    bool Descending() const { return index_.Descending(); }
    std::size_t Size() const { return index_.Size(); }

    // Builds the entries from the table again. Several orders of one table share one pass;
    // their keys and sorts are made on a few threads.
    static void Rebuild(DbfTable& table, std::span<IndexOrder* const> orders);
    // As Rebuild, but an order whose entries equal the ones a build would make (every key
    // compared in one pass over the table) keeps them instead of sorting anew.
    static void RebuildUnlessSame(DbfTable& table, std::span<IndexOrder* const> orders);
    // Whether a rebuild would give the entries and file already there: built from this table
    // in an exclusive open, nothing written or changed since, and the file as saved then.
    bool Current();
    // Writes the file when the entries changed since it was last written; at a close not over
    // a file that another open wrote after this one read or wrote it.
    enum class Over { kOnlyOwnFile, kAnyFile };
    void SaveIfChanged(Over over);
    void Save();
    // Writes the files of the orders (of one table) whose entries changed, on a few threads.
    static void SaveAll(std::span<IndexOrder* const> orders);

    // Ends given as texts, each matched as a prefix of the key; nullopt is open.
    void SetScope(std::optional<std::string_view> top, std::optional<std::string_view> bottom);
    bool HasScope() const { return top_.has_value() || bottom_.has_value(); }

    // Record order over the entries inside the scope.
    uint32_t First() override;
    uint32_t Last() override;
    uint32_t Next(uint32_t recno) override;
    uint32_t Prior(uint32_t recno) override;

    // The first record at or after the sought key that passes visible; found tells whether its
    // key matches (the whole key with exact on, else the given prefix). 0 when none follows.
    struct SeekResult {
        uint32_t recno = 0;
        bool found = false;
    };
    SeekResult Seek(std::string_view text, const std::function<bool(uint32_t)>& visible);

    // Visits the record numbers inside the scope in index order.
    void ForEachInScope(const std::function<void(uint32_t)>& visit);
    // The same with each entry's 0-based position among all entries.
    void ForEachEntryInScope(
        const std::function<void(std::size_t position, uint32_t recno)>& visit);
    bool InScope(std::size_t position);
    // The record of the entry at a 0-based position among all entries; 0 past the end.
    uint32_t RecNoAt(std::size_t position);
    // 0-based position of the record's entry found among the entries alone (no record is read);
    // nullopt when it has none.
    std::optional<std::size_t> EntryPositionOf(uint32_t recno);
    // Deleted records the last build saw, and the table's record count then.
    struct DeletedSeen {
        uint32_t deleted = 0;
        uint32_t records = 0;
    };
    std::optional<DeletedSeen> LastBuildDeleted() const { return lastBuild_; }
    // 1-based position of the record among all entries, 0 when it has none.
    uint32_t PositionOf(uint32_t recno, std::string_view record);
    // The key of a record as text (numbers trimmed).
    std::string KeyTextOf(uint32_t recno, std::string_view record) const;

    // A record as it stood on disk (nullptr for a new one) and as it was written.
    void RecordWritten(uint32_t recno, const char* before, const char* after);
    // The last record, recno, is gone again: its entry goes.
    void AppendTakenBack(uint32_t recno, const char* record);
    // Counts changes of the entries and scope, once records of other opens are followed.
    uint64_t Version();

  private:
    IndexOrder(DbfTable& table, const Settings& settings, std::string path, KeyExpression key,
               std::optional<Expression> condition, bool descending);
    EvalSettings Eval() const;
    bool Included(uint32_t recno, std::string_view record) const;
    std::string KeyOf(uint32_t recno, std::string_view record) const;
    // The key a build gives the record, into key (cleared first).
    void AppendBuildKey(uint32_t recno, std::string_view record, const EvalSettings& eval,
                        std::string& key) const;
    // Per order, where its keys lie in the records when they are the records' own bytes.
    static std::vector<std::optional<std::size_t>> DirectKeys(const DbfTable& table,
                                                              std::span<IndexOrder* const> orders);
    // Adds records above the ones the entries were made for, up to the table's count.
    void CatchUp();
    void CatchUpTo(uint32_t last);
    // Keys again the records another open held when they were keyed, once their bytes changed.
    void FollowInFlight();
    // Follows what other opens changed in records the entries hold, as the table learnt it.
    void FollowChangesElsewhere();
    // The file for the entries as they are, made for the table's stamp given.
    void WriteFile(uint32_t stamp);
    void Rekey(uint32_t recno, std::string_view before, std::string_view after);
    KeyRange Range();
    // Position of recno's entry, or where it would stand; cached for walks.
    std::size_t Locate(uint32_t recno, bool* present);
    void NoteCursor(uint32_t recno, std::size_t position);
    void Changed();

    DbfTable& table_;
    uint64_t followed_ = 0;  // the table's changes elsewhere that the entries follow
    const Settings& settings_;
    std::string path_;
    KeyExpression key_;
    std::optional<Expression> condition_;
    std::string conditionText_;
    KeyIndex index_;
    uint32_t known_ = 0;  // the records 1..known_ are in the entries
    bool dirty_ = false;
    std::optional<std::string> top_;
    std::optional<std::string> bottom_;
    uint64_t version_ = 0;  // counts changes of the entries and of the scope
    uint64_t rangeVersion_ = ~uint64_t{0};
    KeyRange range_;
    uint64_t cursorVersion_ = ~uint64_t{0};
    uint32_t cursorRecno_ = 0;
    std::size_t cursorPosition_ = 0;
    std::optional<DeletedSeen> lastBuild_;
    // Records another open held when they were keyed, with the bytes they were keyed from.
    std::map<uint32_t, std::string> inFlight_;
    struct FileStamp {
        uint64_t dev, ino, size;
        int64_t mtimeSec, mtimeNsec, ctimeSec, ctimeNsec;
        bool operator==(const FileStamp&) const = default;
    };
    static std::optional<FileStamp> StatOf(const std::string& path);
    std::optional<uint64_t> builtVersion_;  // version_ right after the last full build
    std::optional<FileStamp> savedFile_;    // the file as the last save or open left it
    std::optional<uint32_t> savedStamp_;    // the table's stamp the file was made for
};

}  // namespace xb
