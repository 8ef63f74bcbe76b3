#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <unordered_map>
#include <vector>

#include "platform/db/data_set_types.h"

namespace ui {

class TDBGrid;

// The grid's rows: read through the data set's row source as the view asks for them, a block
// of about a screen at a time, kept for about three screens. The current row and an inserted
// row show the active record instead. View rows after an inserted row are the data set's rows
// shifted by one.
class DbGridModel : public QAbstractTableModel {
  public:
    explicit DbGridModel(TDBGrid& grid);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Counts the rows and finds the current one again; what was read is dropped.
    void Reload();
    // The active record moved or changed: finds its row again without dropping other rows.
    void UpdateCurrent();
    // Shows the columns again (titles, fonts, count).
    void ColumnsChanged();
    // Repaints the rows without reading them again.
    void RepaintRows();

    // The view row of the active record (-1 when none).
    int CurrentRow() const { return current_; }
    // The view row of an inserted record (-1 when not inserting).
    int InsertRow() const { return insert_; }
    // The record of a view row; empty for the inserted row or none.
    db::TBookmark BookmarkOfRow(int row) const;
    // Something was asked for while the data set's controls were disabled.
    bool Stale() const { return stale_; }

  private:
    struct CachedRow {
        db::TBookmark bookmark;
        std::vector<QString> cells;
    };

    int SourceRow(int row) const;
    bool ShowsActive(int row) const;
    const CachedRow* Fetch(int source_row) const;
    void Trim(int near_row) const;
    QString ActiveCell(int column) const;
    bool Marked(int row) const;

    TDBGrid& grid_;
    int source_rows_ = 0;
    int current_ = -1;
    int insert_ = -1;
    mutable std::unordered_map<int, CachedRow> cache_;
    mutable bool stale_ = false;
};

}  // namespace ui
