#include <algorithm>

#include "platform/db/data_set.h"

namespace db {

// The walking answers: every row costs a read, so descendants over large tables answer
// through their engine instead.

int TDataSet::RowCount() {
    CheckActive();
    return ScanRecords([] { return true; });
}

TBookmark TDataSet::BookmarkAt(int row) {
    CheckActive();
    TBookmark found;
    if (row < 0) {
        return found;
    }
    int index = 0;
    ScanRecords([&] {
        if (index++ < row) {
            return true;
        }
        found = GetBookmark();
        return false;
    });
    return found;
}

int TDataSet::RowOf(const TBookmark& bookmark) {
    CheckActive();
    if (bookmark.empty()) {
        return -1;
    }
    int index = 0;
    int found = -1;
    ScanRecords([&] {
        if (GetBookmark() == bookmark) {
            found = index;
            return false;
        }
        ++index;
        return true;
    });
    return found;
}

int TDataSet::ReadRows(int first, int count, const std::function<void(int row)>& visit) {
    CheckActive();
    if (count <= 0 || first < 0) {
        return 0;
    }
    int index = 0;
    int visited = 0;
    ScanRecords([&] {
        if (index >= first) {
            visit(index);
            ++visited;
        }
        ++index;
        return index < first + count;
    });
    return visited;
}

int TDataSet::InsertRow() {
    if (state_ != dsInsert || buffers_.empty()) {
        return -1;
    }
    char* active = buffers_[static_cast<std::size_t>(active_record_)];
    switch (GetBookmarkFlag(active)) {
        case bfEOF:
            return RowCount();
        case bfBOF:
            return 0;
        default: {
            TBookmark before(static_cast<std::size_t>(BookmarkSize()), '\0');
            GetBookmarkData(active, before.data());
            const int row = RowOf(before);
            return row >= 0 ? row : 0;
        }
    }
}

}  // namespace db
