#pragma once

#include <vector>

#include "platform/db/data_set_types.h"

namespace db {

class TDataLink;
class TDataSet;

// The rows a grid has marked, kept in the data set's bookmark order.
class TBookmarkList {
  public:
    explicit TBookmarkList(TDataLink& link) : link_(link) {}

    int Count() const { return static_cast<int>(list_.size()); }
    const TBookmark& operator[](int index) const {
        return list_.at(static_cast<std::size_t>(index));
    }
    // The active record; "Cannot perform this operation on a closed dataset" when closed.
    bool CurrentRowSelected() const;
    void SetCurrentRowSelected(bool value);
    void Clear() { list_.clear(); }
    // Deletes every marked record from the last to the first, with the controls quiet.
    void Delete();
    // Where the bookmark is, or where it would go.
    bool Find(const TBookmark& bookmark, int& index) const;
    int IndexOf(const TBookmark& bookmark) const;
    // Drops bookmarks whose records are gone; answers whether any was dropped.
    bool Refresh();
    // The owner calls this when its link turns active or inactive; inactive clears.
    void LinkActive(bool value);

  private:
    TDataSet& DataSet() const;
    TBookmark CurrentRow() const;

    TDataLink& link_;
    std::vector<TBookmark> list_;
};

}  // namespace db
