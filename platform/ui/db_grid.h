#pragma once

#include <QTableView>
#include <functional>
#include <memory>
#include <string>

#include "platform/db/bookmark_list.h"
#include "platform/ui/db_grid_columns.h"
#include "platform/ui/font_spec.h"

namespace db {
class TDataSet;
class TDataSource;
class TField;
}  // namespace db

namespace ui {

class DbGridModel;

enum TDBGridOption : unsigned {
    dgEditing = 1u << 0,
    dgAlwaysShowEditor = 1u << 1,
    dgTitles = 1u << 2,
    dgIndicator = 1u << 3,
    dgColumnResize = 1u << 4,
    dgColLines = 1u << 5,
    dgRowLines = 1u << 6,
    dgTabs = 1u << 7,
    dgRowSelect = 1u << 8,
    dgAlwaysShowSelection = 1u << 9,
    dgConfirmDelete = 1u << 10,
    dgCancelOnExit = 1u << 11,
    dgMultiSelect = 1u << 12,
};
using TDBGridOptions = unsigned;
inline constexpr TDBGridOptions kDefaultGridOptions = dgEditing | dgTitles | dgIndicator |
                                                      dgColumnResize | dgColLines | dgRowLines |
                                                      dgTabs | dgConfirmDelete | dgCancelOnExit;

// A data-aware grid: one row per record of the data source's data set in its current order.
// Rows are read through the data set's row source as they are painted, never by moving the
// data set; the current row shows the active record (with a pending edit), an inserted record
// shows at its place. Keys and clicks move the data set; the scroll bar and the wheel only
// scroll the view.
class TDBGrid : public QTableView {
    Q_OBJECT

  public:
    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;

    db::TDataSource* DataSource() const;
    void SetDataSource(db::TDataSource* source);
    db::TDataSet* DataSet() const;

    TDBGridColumns& Columns() { return columns_; }
    const TDBGridColumns& Columns() const { return columns_; }
    // The column of the current cell and its field (null when none).
    int SelectedIndex() const { return selected_column_; }
    void SetSelectedIndex(int index);
    db::TField* SelectedField() const;

    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& font);
    const FontSpec& TitleFont() const { return title_font_; }
    void SetTitleFont(const FontSpec& font);
    // The form's font for a grid that follows it: the cells and the titles take it.
    void SetParentFont(const FontSpec& font);
    TDBGridOptions Options() const { return options_; }
    void SetOptions(TDBGridOptions options);
    std::string Hint() const;
    void SetHint(const std::string& hint);

    // Marked rows (multi-select): Ctrl+click toggles, Shift+arrows extend, a plain click clears.
    db::TBookmarkList& SelectedRows() { return *selected_rows_; }

    // Paints again from the records, dropping what was read.
    void Repaint();

    // Double click on a cell.
    std::function<void(TDBGrid&)> OnDblClick;
    // A typed character; Enter comes as 13. Setting key to 0 swallows it.
    std::function<void(TDBGrid&, char& key)> OnKeyPress;

    // Called by the columns.
    void ColumnsChanged();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    class Link;
    friend class Link;
    friend class DbGridModel;

    void LinkActiveChanged();
    void LinkDataSetChanged();
    void LinkScrolled();
    void LinkRecordChanged();
    void LinkEditingChanged();
    void LinkLayoutChanged();
    void ApplyOptions();
    void ApplyColumnWidths();
    void SectionMoved(int logical, int from, int to);
    void SectionResized(int logical, int old_size, int new_size);
    int VisibleRows() const;
    void MoveToRow(int row);
    void DeleteRows();
    void Guarded(const std::function<void()>& action);

    std::unique_ptr<Link> link_;
    std::unique_ptr<db::TBookmarkList> selected_rows_;
    TDBGridColumns columns_;
    DbGridModel* model_;
    FontSpec font_;
    FontSpec title_font_;
    TDBGridOptions options_ = kDefaultGridOptions;
    int selected_column_ = 0;
    bool adjusting_header_ = false;
};

}  // namespace ui
