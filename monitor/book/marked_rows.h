#pragma once

#include <functional>
#include <string>

namespace db {
class TBookmarkList;
class TDataSet;
}  // namespace db

namespace book {

inline constexpr const char* kDeleteMarkedQuestion = "Geselecteerde regels wissen ?";

// Deletes every row marked in `marks` (a grid's marked rows over `data`), from the last to the
// first. The data set's after-delete step (commit, count) runs once after the last deletion,
// not once per row; it also runs when a deletion fails after others succeeded, and the failure
// is raised after it. Answers how many rows were deleted.
int DeleteMarkedRows(db::TBookmarkList& marks, db::TDataSet& data);

// "Geselecteerde regels": asks kDeleteMarkedQuestion through `askYesCancel` and deletes the
// marked rows on Yes. Answers how many rows were deleted.
int WisGeselecteerdeRegels(db::TBookmarkList& marks, db::TDataSet& data,
                           const std::function<bool(const std::string&)>& askYesCancel);

}  // namespace book
