#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

namespace book {

// The import window's line list: the rewritten lines, each shown on one row (a line break
// inside a value shows as a blank). A model, so a file of 100,000 lines makes no widget items.
class CsvLinesModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    void SetLines(std::vector<std::string> lines);
    const std::vector<std::string>& Lines() const { return lines_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    std::vector<std::string> lines_;
};

}  // namespace book
