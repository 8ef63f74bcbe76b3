#pragma once

#include <QFrame>
#include <memory>

namespace db {
class TDataSource;
}

namespace ui {

// A panel of data-aware controls that shows one record of the data source; Up, Down, PgUp
// and PgDn that its controls leave move the record. Put the controls on Panel().
class TDBCtrlGrid : public QFrame {
    Q_OBJECT

  public:
    explicit TDBCtrlGrid(QWidget* parent = nullptr);
    ~TDBCtrlGrid() override;

    db::TDataSource* DataSource() const;
    void SetDataSource(db::TDataSource* source);
    QWidget* Panel() const { return panel_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    class Link;

    std::unique_ptr<Link> link_;
    QWidget* panel_;
};

}  // namespace ui
