#include "monitor/book/held_record.h"

#include "platform/db/data_set.h"
#include "platform/db/field.h"

namespace book {

void HeldRecord::Take(db::TDataSet* dataSet) {
    dataSet_ = nullptr;
    bookmark_.clear();
    inserting_ = false;
    shown_.clear();
    if (dataSet == nullptr || !dataSet->Active()) {
        return;
    }
    if (dataSet->State() == db::dsInsert) {
        inserting_ = true;
    } else if (dataSet->IsEmpty() || !dataSet->BookmarkAvailable()) {
        return;
    } else {
        bookmark_ = dataSet->GetBookmark();
    }
    dataSet_ = dataSet;
}

void HeldRecord::ReadShown(std::string_view field) {
    shown_ = dataSet_ ? dataSet_->FieldByName(field).AsString() : std::string();
}

HeldRecord::Result HeldRecord::Write(std::string_view field, std::string_view value) {
    db::TDataSet* ds = dataSet_;
    if (ds == nullptr) {
        return Result::NoRecord;
    }
    if (!ds->Active()) {
        return Result::Gone;
    }
    if (inserting_) {
        // The entry being inserted has no place in the table until it is posted.
        if (ds->State() != db::dsInsert) {
            return Result::Gone;
        }
        ds->FieldByName(field).SetAsString(value);
        return Result::Written;
    }
    const bool current = (ds->State() == db::dsBrowse || ds->State() == db::dsEdit) &&
                         !ds->IsEmpty() && ds->BookmarkAvailable() &&
                         ds->CompareBookmarks(ds->GetBookmark(), bookmark_) == 0;
    if (current) {
        ds->Edit();
        ds->FieldByName(field).SetAsString(value);
        return Result::Written;
    }
    if (!ds->BookmarkValid(bookmark_)) {
        return Result::Gone;
    }
    // The table moved: write the held entry and come back, leaving the user's place as it was.
    ds->CheckBrowseMode();
    db::TBookmark back;
    if (!ds->IsEmpty() && ds->BookmarkAvailable()) {
        back = ds->GetBookmark();
    }
    ds->GotoBookmark(bookmark_);
    ds->Edit();
    ds->FieldByName(field).SetAsString(value);
    ds->Post();
    if (!back.empty() && ds->BookmarkValid(back)) {
        ds->GotoBookmark(back);
    }
    return Result::Posted;
}

}  // namespace book
