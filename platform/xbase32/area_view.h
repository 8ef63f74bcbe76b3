#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xbase32/expression.h"
#include "platform/xbase32/index_order.h"
#include "platform/xbase32/record_observer.h"
#include "platform/xbase32/settings.h"

namespace xb {

class WorkArea;

// What a work area shows of its table: the open index orders and the current one, the filter,
// and the count of the records that pass. Installs itself on the area as the order, the filter
// test and a write observer; the area must outlive it. Failures throw.
class AreaView final : public RecordWriteObserver {
  public:
    AreaView(WorkArea& area, const Settings& settings);
    ~AreaView() override;  // detaches and writes the index files that changed
    AreaView(const AreaView&) = delete;
    AreaView& operator=(const AreaView&) = delete;

    // Orders are numbered from 1 in the sequence they were opened; 0 is the natural order.
    // Index and IndexOpen make the order current and answer its number; a file that is open
    // already keeps its number.
    int Index(const std::string& file, std::string_view key, int option, bool descending,
              std::string_view condition);
    int IndexOpen(const std::string& file);
    int SetOrder(int order);  // keeps the current record; answers the previous order
    int CurrentOrder() const { return current_; }
    int OrderCount() const { return static_cast<int>(orders_.size()); }
    IndexOrder* Order(int order) const;  // 0: the current one; nullptr when there is none
    int TagArea(std::string_view tag) const;
    void Reindex();
    void CloseIndexes();

    // On the current order; throws without one.
    void SetScope(std::optional<std::string_view> top, std::optional<std::string_view> bottom);
    // Lands on the first visible record with the key; a miss stands on the next greater key with
    // soft seek on, else at the end.
    bool Seek(std::string_view key);
    uint32_t OrderRecNo();
    std::string KeyData();

    // An empty text clears the filter; an invalid one throws and leaves the old one in force.
    void Query(std::string_view expression);
    const std::string& FilterText() const { return filterText_; }
    // Whether a record may leave the visible set while the cursor stands on it.
    bool MayLeave() const;

    // Records that navigation visits, counted without moving the cursor; kept until something
    // changes.
    uint32_t Count();
    // The record at a 1-based position among those records in the current order (0 past the
    // end), and a record's position among them (0 when navigation would not visit it). Neither
    // moves the cursor. While nothing can hide a record they come from the order alone.
    uint32_t RecNoAt(uint32_t position);
    uint32_t PositionOf(uint32_t recno);
    // Visits those records in the current order, without moving the cursor.
    void ForEachVisible(const std::function<void(uint32_t recno, const char* record)>& visit);

    // An expression over the area's fields, and the settings to evaluate it with.
    Expression Compile(std::string_view text) const;
    EvalSettings Eval() const;

    void RecordWritten(uint32_t recno, const char* before, const char* after) override;
    void TableRebuilt() override;
    void AppendTakenBack(uint32_t recno, const char* record) override;

  private:
    struct CountKey {
        uint64_t writes = 0;
        uint64_t shape = 0;
        uint64_t entries = 0;  // the current order's, which follows other opens' appends
        uint32_t records = 0;
        uint64_t foreign = 0;  // the table's changes by other opens, as learnt
        bool hideDeleted = false;
        bool exact = false;
        DateSettings date;
        bool operator==(const CountKey& o) const;
    };
    bool FilterPasses(uint32_t recno, const char* record) const;
    // True while no filter, scope or hidden deleted record can hide a record.
    bool NothingHidden();
    // The visible records in order, made by one block pass and kept under the count's key.
    const std::vector<uint32_t>& VisibleList();
    // Whether the list is current just before this open's write of recno is counted.
    bool ListCurrentBefore(uint32_t recno, const char* before);
    // Brings a current list past this open's write; drops it when the write moved the record
    // among the order's entries.
    void FollowInList(uint32_t recno, bool appended, const char* after);
    void NoteDeleted(uint32_t deleted, uint32_t records);
    // Whether the deleted records are still known: not after other opens' changes.
    bool DeletedKnown();
    int FindOpen(const std::string& path) const;
    int Add(std::unique_ptr<IndexOrder> order);
    void Select(int order);
    CountKey CurrentCountKey();
    std::vector<IndexOrder*> All() const;

    WorkArea& area_;
    const Settings& settings_;
    std::vector<std::unique_ptr<IndexOrder>> orders_;
    int current_ = 0;
    std::optional<Expression> filter_;
    std::string filterText_;
    uint64_t shape_ = 0;  // counts changes of order, scope, filter and entries
    std::optional<CountKey> countKey_;
    uint32_t count_ = 0;
    std::optional<CountKey> listKey_;
    std::vector<uint32_t> visible_;
    // Under an index order: each listed record's entry position, ascending.
    std::vector<uint32_t> visibleEntries_;
    // Deleted records among the first deletedFor_ records, when known.
    uint32_t deleted_ = 0;
    std::optional<uint32_t> deletedFor_;
    uint64_t deletedForeign_ = 0;  // the table's changes elsewhere when they were counted
};

}  // namespace xb
