#include "platform/ui/db_grid_model.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <cstdlib>

#include "platform/db/data_set.h"
#include "platform/db/field.h"
#include "platform/ui/colors.h"
#include "platform/ui/db_grid.h"

namespace ui {

namespace {

Qt::Alignment ToQtAlignment(TAlignment alignment) {
    switch (alignment) {
        case taRightJustify:
            return Qt::AlignRight | Qt::AlignVCenter;
        case taCenter:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case taLeftJustify:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QString FieldText(db::TField* field) {
    return field != nullptr ? QString::fromStdString(field->DisplayText()) : QString();
}

}  // namespace

DbGridModel::DbGridModel(TDBGrid& grid) : QAbstractTableModel(&grid), grid_(grid) {}

int DbGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return source_rows_ + (insert_ >= 0 ? 1 : 0);
}

int DbGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.Columns().Count();
}

int DbGridModel::SourceRow(int row) const {
    if (insert_ >= 0 && row > insert_) {
        return row - 1;
    }
    return row;
}

bool DbGridModel::ShowsActive(int row) const {
    return row == current_ || row == insert_;
}

void DbGridModel::Reload() {
    beginResetModel();
    cache_.clear();
    stale_ = false;
    source_rows_ = 0;
    current_ = -1;
    insert_ = -1;
    db::TDataSet* data_set = grid_.DataSet();
    if (data_set != nullptr && data_set->Active() && !data_set->ControlsDisabled()) {
        try {
            source_rows_ = data_set->RowCount();
            if (data_set->State() == db::dsInsert) {
                insert_ = data_set->InsertRow();
                current_ = insert_;
            } else if (!data_set->IsEmpty()) {
                current_ = data_set->RowOf(data_set->Bookmark());
            }
        } catch (const std::exception&) {
            source_rows_ = 0;
        }
    }
    endResetModel();
}

void DbGridModel::UpdateCurrent() {
    db::TDataSet* data_set = grid_.DataSet();
    if (data_set == nullptr || !data_set->Active() || data_set->ControlsDisabled()) {
        return;
    }
    if (data_set->State() == db::dsInsert || insert_ >= 0) {
        Reload();
        return;
    }
    const int old = current_;
    try {
        current_ = data_set->IsEmpty() ? -1 : data_set->RowOf(data_set->Bookmark());
    } catch (const std::exception&) {
        current_ = -1;
    }
    const int last_column = std::max(0, columnCount() - 1);
    for (int row : {old, current_}) {
        if (row >= 0 && row < rowCount()) {
            emit dataChanged(index(row, 0), index(row, last_column));
            emit headerDataChanged(Qt::Vertical, row, row);
        }
    }
}

void DbGridModel::ColumnsChanged() {
    beginResetModel();
    cache_.clear();
    endResetModel();
}

void DbGridModel::RepaintRows() {
    if (rowCount() > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    }
}

db::TBookmark DbGridModel::BookmarkOfRow(int row) const {
    if (row < 0 || row >= rowCount() || row == insert_) {
        return {};
    }
    if (const CachedRow* cached = Fetch(SourceRow(row))) {
        return cached->bookmark;
    }
    return {};
}

const DbGridModel::CachedRow* DbGridModel::Fetch(int source_row) const {
    auto found = cache_.find(source_row);
    if (found != cache_.end()) {
        return &found->second;
    }
    db::TDataSet* data_set = grid_.DataSet();
    if (data_set == nullptr || !data_set->Active()) {
        return nullptr;
    }
    if (data_set->ControlsDisabled()) {
        stale_ = true;
        return nullptr;
    }
    const int block = std::max(1, grid_.VisibleRows());
    const int count = std::min(block, source_rows_ - source_row);
    if (count <= 0) {
        return nullptr;
    }
    std::vector<db::TField*> fields;
    const TDBGridColumns& columns = grid_.Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        fields.push_back(columns[i].Field());
    }
    try {
        data_set->ReadRows(source_row, count, [&](int row) {
            CachedRow& cached = cache_[row];
            cached.bookmark = data_set->GetBookmark();
            cached.cells.clear();
            for (db::TField* field : fields) {
                cached.cells.push_back(FieldText(field));
            }
        });
    } catch (const std::exception&) {
        return nullptr;
    }
    Trim(source_row);
    found = cache_.find(source_row);
    return found != cache_.end() ? &found->second : nullptr;
}

void DbGridModel::Trim(int near_row) const {
    const std::size_t limit = static_cast<std::size_t>(std::max(1, grid_.VisibleRows()) * 3 + 3);
    if (cache_.size() <= limit) {
        return;
    }
    std::vector<int> rows;
    rows.reserve(cache_.size());
    for (const auto& entry : cache_) {
        rows.push_back(entry.first);
    }
    std::sort(rows.begin(), rows.end(),
              [near_row](int a, int b) { return std::abs(a - near_row) > std::abs(b - near_row); });
    for (std::size_t i = 0; i < rows.size() - limit; ++i) {
        cache_.erase(rows[i]);
    }
}

QString DbGridModel::ActiveCell(int column) const {
    db::TDataSet* data_set = grid_.DataSet();
    if (data_set == nullptr || !data_set->Active() || data_set->ControlsDisabled()) {
        return {};
    }
    try {
        return FieldText(grid_.Columns()[column].Field());
    } catch (const std::exception&) {
        return {};
    }
}

bool DbGridModel::Marked(int row) const {
    if (grid_.selected_rows_ == nullptr || grid_.selected_rows_->Count() == 0 || row == insert_) {
        return false;
    }
    auto found = cache_.find(SourceRow(row));
    if (found == cache_.end()) {
        return false;
    }
    try {
        return grid_.selected_rows_->IndexOf(found->second.bookmark) >= 0;
    } catch (const std::exception&) {
        return false;
    }
}

QVariant DbGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= grid_.Columns().Count()) {
        return {};
    }
    const TColumn& column = grid_.Columns()[index.column()];
    const int row = index.row();
    const bool highlighted =
        (row == current_ && (grid_.hasFocus() || (grid_.Options() & dgAlwaysShowSelection)) &&
         ((grid_.Options() & dgRowSelect) || index.column() == grid_.SelectedIndex())) ||
        Marked(row);
    switch (role) {
        case Qt::DisplayRole: {
            if (ShowsActive(row)) {
                return ActiveCell(index.column());
            }
            const CachedRow* cached = Fetch(SourceRow(row));
            if (cached == nullptr ||
                static_cast<std::size_t>(index.column()) >= cached->cells.size()) {
                return {};
            }
            return cached->cells[static_cast<std::size_t>(index.column())];
        }
        case Qt::FontRole:
            return ToQFont(column.Font());
        case Qt::ForegroundRole: {
            if (highlighted) {
                return QApplication::palette().color(QPalette::HighlightedText);
            }
            const QColor color = ColorToQColor(column.Font().color);
            return color.isValid() ? QVariant(color) : QVariant();
        }
        case Qt::BackgroundRole:
            if (highlighted) {
                return QApplication::palette().color(QPalette::Highlight);
            }
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(ToQtAlignment(column.Alignment()));
        default:
            return {};
    }
}

QVariant DbGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role != Qt::DisplayRole || section != current_) {
            return {};
        }
        db::TDataSet* data_set = grid_.DataSet();
        const db::TDataSetState state = data_set != nullptr ? data_set->State() : db::dsInactive;
        if (state == db::dsInsert) {
            return QStringLiteral("*");
        }
        if (state == db::dsEdit) {
            return QStringLiteral("I");
        }
        return QString(QChar(0x25B6));
    }
    if (section < 0 || section >= grid_.Columns().Count()) {
        return {};
    }
    const TColumn& column = grid_.Columns()[section];
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(column.Title().Caption());
        case Qt::FontRole:
            return ToQFont(column.Title().Font());
        case Qt::ForegroundRole: {
            const QColor color = ColorToQColor(column.Title().Font().color);
            return color.isValid() ? QVariant(color) : QVariant();
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(ToQtAlignment(column.Title().Alignment()));
        default:
            return {};
    }
}

Qt::ItemFlags DbGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

}  // namespace ui
