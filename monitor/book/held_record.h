#pragma once

#include <string>
#include <string_view>

#include "platform/db/data_set_types.h"

namespace db {
class TDataSet;
}

namespace book {

// The record a form showed, held while the form is open: a call's lookup may move the table
// meanwhile, and the form's OK must still reach the entry the user looked at.
class HeldRecord {
  public:
    enum class Result {
        Written,   // into the current record, in edit state, posted later
        Posted,    // the table had moved: written there and posted, the table back where it was
        NoRecord,  // nothing was shown (no table, an empty table)
        Gone,      // the record is no longer there
    };

    // Holds the data set's current record; nothing when it is closed or empty.
    void Take(db::TDataSet* dataSet);
    bool Held() const { return dataSet_ != nullptr; }

    // The field's text in the held record as it was taken.
    const std::string& Shown() const { return shown_; }
    void ReadShown(std::string_view field);

    // Writes the value into the field of the held record.
    Result Write(std::string_view field, std::string_view value);

  private:
    db::TDataSet* dataSet_ = nullptr;
    db::TBookmark bookmark_;
    bool inserting_ = false;
    std::string shown_;
};

}  // namespace book
