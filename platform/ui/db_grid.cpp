#include "platform/ui/db_grid.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "platform/db/data_link.h"
#include "platform/db/data_set.h"
#include "platform/db/data_source.h"
#include "platform/ui/db_grid_model.h"
#include "platform/ui/dialogs.h"

namespace ui {

class TDBGrid::Link : public db::TDataLink {
  public:
    explicit Link(TDBGrid& grid) : grid_(grid) {}

  protected:
    void ActiveChanged() override { grid_.LinkActiveChanged(); }
    void DataSetChanged() override { grid_.LinkDataSetChanged(); }
    void DataSetScrolled(int distance) override {
        (void)distance;
        grid_.LinkScrolled();
    }
    void RecordChanged(db::TField* field) override {
        (void)field;
        grid_.LinkRecordChanged();
    }
    void EditingChanged() override { grid_.LinkEditingChanged(); }
    void LayoutChanged() override { grid_.LinkLayoutChanged(); }

  private:
    TDBGrid& grid_;
};

TDBGrid::TDBGrid(QWidget* parent)
    : QTableView(parent),
      link_(std::make_unique<Link>(*this)),
      selected_rows_(std::make_unique<db::TBookmarkList>(*link_)),
      columns_(*this),
      model_(new DbGridModel(*this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setFocusPolicy(Qt::StrongFocus);
    // Fixed row heights: a header that sizes rows to their contents would read every row.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setFixedWidth(14);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this, &TDBGrid::SectionMoved);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &TDBGrid::SectionResized);
    ApplyOptions();
}

TDBGrid::~TDBGrid() {
    link_->SetDataSource(nullptr);
}

db::TDataSource* TDBGrid::DataSource() const {
    return link_->DataSource();
}

void TDBGrid::SetDataSource(db::TDataSource* source) {
    link_->SetDataSource(source);
    if (source == nullptr) {
        LinkActiveChanged();
    }
}

db::TDataSet* TDBGrid::DataSet() const {
    return link_->DataSet();
}

void TDBGrid::SetSelectedIndex(int index) {
    if (index >= 0 && index < columns_.Count()) {
        selected_column_ = index;
        model_->RepaintRows();
    }
}

db::TField* TDBGrid::SelectedField() const {
    if (selected_column_ < 0 || selected_column_ >= columns_.Count()) {
        return nullptr;
    }
    return columns_[selected_column_].Field();
}

void TDBGrid::SetFont(const FontSpec& font) {
    font_ = font;
    QTableView::setFont(ToQFont(font));
    const int height = QFontMetrics(ToQFont(font)).height() + 4;
    verticalHeader()->setDefaultSectionSize(height);
    ColumnsChanged();
}

void TDBGrid::SetTitleFont(const FontSpec& font) {
    title_font_ = font;
    horizontalHeader()->setFont(ToQFont(font));
    ColumnsChanged();
}

void TDBGrid::SetParentFont(const FontSpec& font) {
    SetFont(font);
    SetTitleFont(font);
}

void TDBGrid::SetOptions(TDBGridOptions options) {
    options_ = options;
    if (!(options_ & dgMultiSelect) && selected_rows_->Count() > 0) {
        selected_rows_->Clear();
    }
    ApplyOptions();
    model_->RepaintRows();
}

std::string TDBGrid::Hint() const {
    return toolTip().toStdString();
}

void TDBGrid::SetHint(const std::string& hint) {
    setToolTip(QString::fromStdString(hint));
}

void TDBGrid::Repaint() {
    model_->Reload();
    viewport()->update();
}

void TDBGrid::ApplyOptions() {
    horizontalHeader()->setVisible(options_ & dgTitles);
    verticalHeader()->setVisible(options_ & dgIndicator);
    setShowGrid((options_ & (dgColLines | dgRowLines)) != 0);
    horizontalHeader()->setSectionResizeMode((options_ & dgColumnResize) ? QHeaderView::Interactive
                                                                         : QHeaderView::Fixed);
    horizontalHeader()->setSectionsMovable(options_ & dgColumnResize);
    setTabKeyNavigation(options_ & dgTabs);
}

void TDBGrid::ColumnsChanged() {
    if (selected_column_ >= columns_.Count()) {
        selected_column_ = std::max(0, columns_.Count() - 1);
    }
    model_->ColumnsChanged();
    ApplyColumnWidths();
    ApplyOptions();
}

void TDBGrid::ApplyColumnWidths() {
    adjusting_header_ = true;
    for (int i = 0; i < columns_.Count(); ++i) {
        horizontalHeader()->resizeSection(i, columns_[i].Width());
    }
    adjusting_header_ = false;
}

void TDBGrid::SectionMoved(int logical, int from, int to) {
    (void)logical;
    if (adjusting_header_) {
        return;
    }
    // The header goes back to logical order; the columns carry the new order.
    adjusting_header_ = true;
    horizontalHeader()->moveSection(to, from);
    adjusting_header_ = false;
    columns_.Move(from, to);
    if (selected_column_ == from) {
        selected_column_ = to;
    }
}

void TDBGrid::SectionResized(int logical, int old_size, int new_size) {
    (void)old_size;
    if (adjusting_header_ || logical < 0 || logical >= columns_.Count()) {
        return;
    }
    adjusting_header_ = true;
    columns_[logical].SetWidth(new_size);
    adjusting_header_ = false;
}

int TDBGrid::VisibleRows() const {
    const int row_height = std::max(1, verticalHeader()->defaultSectionSize());
    return std::max(1, viewport()->height() / row_height + 1);
}

void TDBGrid::LinkActiveChanged() {
    selected_rows_->LinkActive(link_->Active());
    columns_.RebuildDefault();
    model_->Reload();
}

void TDBGrid::LinkDataSetChanged() {
    // Keep the current record where it stood on screen.
    const int old_current = model_->CurrentRow();
    const int top = rowAt(0);
    const int offset = old_current >= 0 && top >= 0 ? old_current - top : -1;
    model_->Reload();
    const int current = model_->CurrentRow();
    if (current < 0) {
        return;
    }
    if (offset >= 0 && offset < VisibleRows() - 1) {
        verticalScrollBar()->setValue(std::max(0, current - offset));
    } else {
        scrollTo(model_->index(current, 0));
    }
}

void TDBGrid::LinkScrolled() {
    model_->UpdateCurrent();
    if (model_->CurrentRow() >= 0) {
        scrollTo(model_->index(model_->CurrentRow(),
                               std::clamp(selected_column_, 0, std::max(0, columns_.Count() - 1))));
    }
}

void TDBGrid::LinkRecordChanged() {
    model_->UpdateCurrent();
}

void TDBGrid::LinkEditingChanged() {
    db::TDataSet* data_set = DataSet();
    if (data_set != nullptr && (data_set->State() == db::dsInsert || model_->InsertRow() >= 0)) {
        LinkDataSetChanged();
    } else {
        model_->UpdateCurrent();
    }
}

void TDBGrid::LinkLayoutChanged() {
    columns_.RebuildDefault();
    LinkDataSetChanged();
}

void TDBGrid::Guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

void TDBGrid::MoveToRow(int row) {
    db::TDataSet* data_set = DataSet();
    if (data_set == nullptr || !data_set->Active() || row < 0 || row == model_->CurrentRow() ||
        row == model_->InsertRow()) {
        return;
    }
    const db::TBookmark bookmark = model_->BookmarkOfRow(row);
    if (!bookmark.empty()) {
        data_set->GotoBookmark(bookmark);
    }
}

void TDBGrid::DeleteRows() {
    db::TDataSet* data_set = DataSet();
    if (data_set == nullptr || !data_set->Active() || !data_set->CanModify()) {
        return;
    }
    if (data_set->State() == db::dsInsert) {
        data_set->Cancel();
        return;
    }
    if (data_set->IsEmpty()) {
        return;
    }
    const bool marked = selected_rows_->Count() > 0;
    if (options_ & dgConfirmDelete) {
        const std::string text =
            selected_rows_->Count() > 1 ? "Alle geselecteerde records wissen?" : "Record wissen?";
        if (dialogs().MessageDlg(text, MsgDlgType::Confirmation, mbOKCancel) != mrOk) {
            return;
        }
    }
    if (marked) {
        selected_rows_->Delete();
    } else {
        data_set->Delete();
    }
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
    db::TDataSet* data_set = DataSet();
    if (data_set == nullptr || !data_set->Active()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool multi = options_ & dgMultiSelect;
    Guarded([&] {
        auto move = [&](const std::function<void()>& step) {
            if (multi && shift) {
                selected_rows_->SetCurrentRowSelected(true);
                step();
                selected_rows_->SetCurrentRowSelected(true);
                model_->RepaintRows();
            } else {
                step();
            }
        };
        switch (event->key()) {
            case Qt::Key_Up:
                move([&] { data_set->Prior(); });
                return;
            case Qt::Key_Down:
                move([&] { data_set->Next(); });
                return;
            case Qt::Key_PageUp:
                move([&] { data_set->MoveBy(-std::max(1, VisibleRows() - 1)); });
                return;
            case Qt::Key_PageDown:
                move([&] { data_set->MoveBy(std::max(1, VisibleRows() - 1)); });
                return;
            case Qt::Key_Home:
                if (ctrl) {
                    move([&] { data_set->First(); });
                } else {
                    SetSelectedIndex(0);
                }
                return;
            case Qt::Key_End:
                if (ctrl) {
                    move([&] { data_set->Last(); });
                } else {
                    SetSelectedIndex(columns_.Count() - 1);
                }
                return;
            case Qt::Key_Left:
                SetSelectedIndex(selected_column_ - 1);
                return;
            case Qt::Key_Right:
                SetSelectedIndex(selected_column_ + 1);
                return;
            case Qt::Key_Insert:
                if (data_set->CanModify()) {
                    data_set->Insert();
                }
                return;
            case Qt::Key_Delete:
                if (ctrl) {
                    DeleteRows();
                }
                return;
            case Qt::Key_Escape:
                if (data_set->State() == db::dsEdit || data_set->State() == db::dsInsert) {
                    data_set->Cancel();
                } else {
                    event->ignore();
                }
                return;
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                if (options_ & dgTabs) {
                    SetSelectedIndex(selected_column_ + (event->key() == Qt::Key_Tab ? 1 : -1));
                } else {
                    event->ignore();
                }
                return;
            default:
                break;
        }
        char key = 0;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            key = 13;
        } else if (!event->text().isEmpty()) {
            const QChar character = event->text().front();
            if (character.unicode() < 256) {
                key = static_cast<char>(character.unicode());
            }
        }
        if (key != 0 && OnKeyPress) {
            OnKeyPress(*this, key);
            return;
        }
        event->ignore();
    });
}

bool TDBGrid::focusNextPrevChild(bool next) {
    if (options_ & dgTabs) {
        return false;
    }
    return QTableView::focusNextPrevChild(next);
}

void TDBGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        QTableView::mousePressEvent(event);
        return;
    }
    Guarded([&] {
        selected_column_ = index.column();
        const bool ctrl = event->modifiers() & Qt::ControlModifier;
        if ((options_ & dgMultiSelect) && ctrl) {
            MoveToRow(index.row());
            selected_rows_->SetCurrentRowSelected(!selected_rows_->CurrentRowSelected());
        } else {
            selected_rows_->Clear();
            MoveToRow(index.row());
        }
        model_->RepaintRows();
    });
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && OnDblClick) {
        Guarded([&] { OnDblClick(*this); });
    }
}

void TDBGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
}

void TDBGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    db::TDataSet* data_set = DataSet();
    if ((options_ & dgCancelOnExit) && data_set != nullptr && data_set->State() == db::dsInsert &&
        !data_set->Modified()) {
        Guarded([&] { data_set->Cancel(); });
    }
    model_->RepaintRows();
}

}  // namespace ui
