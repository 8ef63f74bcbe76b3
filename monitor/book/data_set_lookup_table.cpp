#include "monitor/book/data_set_lookup_table.h"

#include <utility>

#include "platform/db/data_set.h"
#include "platform/db/field.h"

namespace book {

namespace {

// The grid's updates held back until the scope ends, on every path.
class ControlsHeld {
  public:
    explicit ControlsHeld(db::TDataSet& data) : data_(data) { data_.DisableControls(); }
    ~ControlsHeld() { data_.EnableControls(); }
    ControlsHeld(const ControlsHeld&) = delete;
    ControlsHeld& operator=(const ControlsHeld&) = delete;

  private:
    db::TDataSet& data_;
};

}  // namespace

DataSetLookupTable::DataSetLookupTable(db::TDataSet& data, std::string numberField,
                                       std::string statusField)
    : data_(data), numberField_(std::move(numberField)), statusField_(std::move(statusField)) {}

std::uint64_t DataSetLookupTable::Opening() {
    return data_.Active() ? data_.Openings() : 0;
}

std::optional<RowMark> DataSetLookupTable::Current() {
    if (!data_.Active()) {
        return std::nullopt;
    }
    data_.CheckBrowseMode();
    if (data_.IsEmpty()) {
        return std::nullopt;
    }
    return RowMark{data_.GetBookmark(), data_.Openings()};
}

std::vector<RowMark> DataSetLookupTable::Rows() {
    std::vector<RowMark> rows;
    if (!data_.Active()) {
        return rows;
    }
    const std::uint64_t opening = data_.Openings();
    data_.ScanRecords([&] {
        rows.push_back({data_.GetBookmark(), opening});
        return true;
    });
    return rows;
}

std::optional<std::string> DataSetLookupTable::NumberAt(const RowMark& row) {
    if (row.opening == 0 || Opening() != row.opening) {
        return std::nullopt;
    }
    std::optional<std::string> number;
    data_.ReadRecordAt(row.bookmark, [&] { number = data_.FieldByName(numberField_).AsString(); });
    return number;
}

bool DataSetLookupTable::MoveTo(const RowMark& row) {
    if (row.opening == 0 || Opening() != row.opening || !data_.BookmarkValid(row.bookmark)) {
        return false;
    }
    data_.GotoBookmark(row.bookmark);
    return true;
}

bool DataSetLookupTable::Write(const RowMark& row, std::string_view number,
                               const EntryAnswer& answer) {
    if (row.opening == 0 || Opening() != row.opening) {
        return false;
    }
    ControlsHeld held(data_);
    // Any move stores a pending edit; storing it first keeps it off the entry written here.
    data_.CheckBrowseMode();
    if (!data_.BookmarkValid(row.bookmark)) {
        return false;
    }
    const db::TBookmark back = data_.IsEmpty() ? db::TBookmark{} : data_.GetBookmark();
    data_.GotoBookmark(row.bookmark);
    bool written = false;
    if (data_.FieldByName(numberField_).AsString() == number) {
        data_.Edit();
        try {
            for (const FieldChange& change : answer.changes) {
                data_.FieldByName(change.field).SetAsString(change.value);
            }
            data_.FieldByName(statusField_).SetAsString(answer.status);
            data_.Post();
        } catch (...) {
            data_.Cancel();
            throw;
        }
        written = true;
    }
    if (!back.empty() && back != row.bookmark && data_.BookmarkValid(back)) {
        data_.GotoBookmark(back);
    }
    return written;
}

}  // namespace book
