#include "monitor/book/csv_lines_model.h"

#include <utility>

#include "monitor/book/csv_line.h"

namespace book {

void CsvLinesModel::SetLines(std::vector<std::string> lines) {
    beginResetModel();
    lines_ = std::move(lines);
    endResetModel();
}

int CsvLinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant CsvLinesModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    QString text =
        QString::fromStdString(CsvLine::Shown(lines_[static_cast<std::size_t>(index.row())]));
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return text;
}

}  // namespace book
