#include "monitor/book/marked_rows.h"

#include <exception>
#include <utility>

#include "platform/db/bookmark_list.h"
#include "platform/db/data_set.h"

namespace book {

int DeleteMarkedRows(db::TBookmarkList& marks, db::TDataSet& data) {
    const int marked = marks.Count();
    if (marked == 0) {
        return 0;
    }
    // Per row the step costs a count and a flush to disk; the end state is the same once.
    db::TDataSet::TDataSetNotifyEvent afterDelete = std::exchange(data.AfterDelete, nullptr);
    std::exception_ptr failure;
    try {
        marks.Delete();
    } catch (...) {
        failure = std::current_exception();
    }
    data.AfterDelete = afterDelete;
    const int deleted = marked - marks.Count();
    if (deleted > 0 && afterDelete) {
        try {
            afterDelete(data);
        } catch (...) {
            if (!failure) {
                failure = std::current_exception();
            }
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return deleted;
}

int WisGeselecteerdeRegels(db::TBookmarkList& marks, db::TDataSet& data,
                           const std::function<bool(const std::string&)>& askYesCancel) {
    if (!askYesCancel(kDeleteMarkedQuestion)) {
        return 0;
    }
    return DeleteMarkedRows(marks, data);
}

}  // namespace book
