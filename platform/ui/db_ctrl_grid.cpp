#include "platform/ui/db_ctrl_grid.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include "platform/db/data_link.h"
#include "platform/db/data_set.h"
#include "platform/ui/dialogs.h"

namespace ui {

class TDBCtrlGrid::Link : public db::TDataLink {
  public:
    explicit Link(QWidget& panel) : panel_(panel) {}

  protected:
    void ActiveChanged() override { panel_.setEnabled(Active()); }

  private:
    QWidget& panel_;
};

TDBCtrlGrid::TDBCtrlGrid(QWidget* parent) : QFrame(parent), panel_(new QWidget(this)) {
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(panel_);
    link_ = std::make_unique<Link>(*panel_);
    panel_->setEnabled(false);
}

TDBCtrlGrid::~TDBCtrlGrid() {
    link_->SetDataSource(nullptr);
}

db::TDataSource* TDBCtrlGrid::DataSource() const {
    return link_->DataSource();
}

void TDBCtrlGrid::SetDataSource(db::TDataSource* source) {
    link_->SetDataSource(source);
    panel_->setEnabled(link_->Active());
}

void TDBCtrlGrid::keyPressEvent(QKeyEvent* event) {
    db::TDataSet* data_set = link_->DataSet();
    if (data_set == nullptr || !link_->Active()) {
        QFrame::keyPressEvent(event);
        return;
    }
    int distance = 0;
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_PageUp:
            distance = -1;
            break;
        case Qt::Key_Down:
        case Qt::Key_PageDown:
            distance = 1;
            break;
        default:
            QFrame::keyPressEvent(event);
            return;
    }
    try {
        data_set->MoveBy(distance);
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

}  // namespace ui
