#include "platform/db/bookmark_list.h"

#include "platform/db/data_link.h"
#include "platform/db/data_set.h"

namespace db {

namespace {

class ControlsQuiet {
  public:
    explicit ControlsQuiet(TDataSet& data_set) : data_set_(data_set) {
        data_set_.DisableControls();
    }
    ~ControlsQuiet() { data_set_.EnableControls(); }
    ControlsQuiet(const ControlsQuiet&) = delete;
    ControlsQuiet& operator=(const ControlsQuiet&) = delete;

  private:
    TDataSet& data_set_;
};

}  // namespace

TDataSet& TBookmarkList::DataSet() const {
    TDataSet* data_set = link_.DataSet();
    if (data_set == nullptr || !link_.Active()) {
        DatabaseError("Cannot perform this operation on a closed dataset");
    }
    return *data_set;
}

TBookmark TBookmarkList::CurrentRow() const {
    return DataSet().Bookmark();
}

bool TBookmarkList::CurrentRowSelected() const {
    const TBookmark current = CurrentRow();
    int index = 0;
    return !current.empty() && Find(current, index);
}

void TBookmarkList::SetCurrentRowSelected(bool value) {
    const TBookmark current = CurrentRow();
    if (current.empty()) {
        return;
    }
    int index = 0;
    const bool found = Find(current, index);
    if (value && !found) {
        list_.insert(list_.begin() + index, current);
    } else if (!value && found) {
        list_.erase(list_.begin() + index);
    }
}

bool TBookmarkList::Find(const TBookmark& bookmark, int& index) const {
    TDataSet& data_set = DataSet();
    int low = 0;
    int high = Count() - 1;
    while (low <= high) {
        const int mid = (low + high) / 2;
        const int order = data_set.CompareBookmarks(list_[static_cast<std::size_t>(mid)], bookmark);
        if (order < 0) {
            low = mid + 1;
        } else if (order > 0) {
            high = mid - 1;
        } else {
            index = mid;
            return true;
        }
    }
    index = low;
    return false;
}

int TBookmarkList::IndexOf(const TBookmark& bookmark) const {
    int index = 0;
    return Find(bookmark, index) ? index : -1;
}

void TBookmarkList::Delete() {
    TDataSet& data_set = DataSet();
    ControlsQuiet quiet(data_set);
    while (!list_.empty()) {
        data_set.SetBookmark(list_.back());
        data_set.Delete();
        list_.pop_back();
    }
}

bool TBookmarkList::Refresh() {
    TDataSet& data_set = DataSet();
    bool dropped = false;
    for (int i = Count() - 1; i >= 0; --i) {
        if (!data_set.BookmarkValid(list_[static_cast<std::size_t>(i)])) {
            list_.erase(list_.begin() + i);
            dropped = true;
        }
    }
    return dropped;
}

void TBookmarkList::LinkActive(bool value) {
    if (!value) {
        list_.clear();
    }
}

}  // namespace db
