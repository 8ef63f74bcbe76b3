#pragma once

// Finds the texts a window shows cut: labels and buttons narrower than their text, a menu bar
// that moves titles into its overflow, grid titles and cells that the grid would elide. Each
// rule follows how Qt draws the widget, so that a cut on screen is a cut here.

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QWidget>
#include <cmath>
#include <string>
#include <vector>

namespace ui::testing {

// Text is laid out at fractions of a pixel; a part of one too many cuts it.
inline int TextWidth(const QFont& font, const QString& text) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

inline std::string Describe(const QWidget& widget, const QString& text, int needed, int room) {
    const QString name = widget.objectName().isEmpty()
                             ? QString::fromLatin1(widget.metaObject()->className())
                             : widget.objectName();
    return name.toStdString() + " \"" + text.toStdString() + "\" needs " + std::to_string(needed) +
           " px, has " + std::to_string(room);
}

// Visible one-line plain-text labels and text buttons inside `window`.
inline std::vector<std::string> CutLabelsAndButtons(const QWidget& window) {
    std::vector<std::string> cut;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        const QString text = label->text();
        if (!label->isVisibleTo(&window) || text.isEmpty() || label->wordWrap() ||
            Qt::mightBeRichText(text) || label->inherits("QTipLabel")) {
            continue;
        }
        const QSizeF exact = QFontMetricsF(label->font()).size(0, text);
        const QSize needed(static_cast<int>(std::ceil(exact.width())),
                           static_cast<int>(std::ceil(exact.height())));
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                          -label->margin(), -label->margin());
        const int indent = std::max(0, label->indent());
        if (needed.width() > room.width() - indent) {
            cut.push_back(Describe(*label, text, needed.width(), room.width() - indent));
        } else if (needed.height() > room.height()) {
            cut.push_back(Describe(*label, text + " (lines)", needed.height(), room.height()));
        }
    }
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&window) || button->text().isEmpty() ||
            button->objectName() == "qt_menubar_ext_button") {
            continue;
        }
        // A button gets its text whole at its size hint; a narrower one cuts it.
        const int needed = button->sizeHint().width();
        if (needed > button->width()) {
            cut.push_back(Describe(*button, button->text(), needed, button->width()));
        }
    }
    return cut;
}

// A menu bar that cannot show every title moves the last ones into its "»" overflow.
inline std::vector<std::string> CutMenuTitles(const QMenuBar& bar) {
    std::vector<std::string> cut;
    for (QAction* action : bar.actions()) {
        const QRect place = bar.actionGeometry(action);
        if (action->isVisible() && (place.isEmpty() || place.right() >= bar.width())) {
            cut.push_back(Describe(bar, action->text(), place.right() + 1, bar.width()));
        }
    }
    if (const auto* overflow = bar.findChild<QToolButton*>("qt_menubar_ext_button");
        overflow != nullptr && overflow->isVisibleTo(&bar)) {
        cut.push_back(Describe(bar, "\u00BB", 0, bar.width()));
    }
    return cut;
}

// Every title of the grid and, in the given columns, every cell of the rows on screen.
inline std::vector<std::string> CutGridTexts(const QTableView& grid,
                                             const std::vector<int>& cells) {
    std::vector<std::string> cut;
    const QAbstractItemModel* model = grid.model();
    const QHeaderView* header = grid.horizontalHeader();
    const int headerMargin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString title = model->headerData(column, Qt::Horizontal).toString();
        QFont font = header->font();
        if (const QVariant f = model->headerData(column, Qt::Horizontal, Qt::FontRole);
            f.isValid()) {
            font = f.value<QFont>();
        }
        // The label's room is the section less a margin on either side, and the header
        // elides it a margin on either side short of that.
        const int needed = TextWidth(font, title);
        const int room = header->sectionSize(column) - 4 * headerMargin;
        if (needed > room) {
            cut.push_back(Describe(grid, "title " + title, needed, room));
        }
    }
    const int textMargin =
        grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
    const int gridLine = grid.showGrid() ? 1 : 0;
    const int rowsOnScreen = grid.viewport()->height() / std::max(1, grid.rowHeight(0));
    for (int row = 0; row < std::min(model->rowCount(), rowsOnScreen); ++row) {
        for (const int column : cells) {
            const QModelIndex index = model->index(row, column);
            const QString text = model->data(index).toString();
            QFont font = grid.font();
            if (const QVariant f = model->data(index, Qt::FontRole); f.isValid()) {
                font = f.value<QFont>();
            }
            // A cell's text keeps a margin on either side; the grid line takes a pixel.
            const int needed = TextWidth(font, text);
            const int room = grid.columnWidth(column) - gridLine - 2 * textMargin;
            if (needed > room) {
                cut.push_back(Describe(grid, text, needed, room));
            }
        }
    }
    return cut;
}

}  // namespace ui::testing
