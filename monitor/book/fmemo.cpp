#include "monitor/book/fmemo.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace book {

Tfmemo::Tfmemo(QWidget* parent) : ui::Form(parent) {
    setWindowFlags(Qt::Tool);
    SetStayOnTop(true);
    SetCaption("Memo Klapper");
    SetCloseAction(ui::CloseAction::Hide);
    resize(320, 240);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    DBText1 = new ui::TDBText(this);
    DBText1->SetDataField("NAAM");
    layout->addWidget(DBText1);
    DBMemo1 = new ui::TDBMemo(this);
    DBMemo1->SetDataField("MEMO");
    layout->addWidget(DBMemo1, 1);

    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    DBNavigator1 = new ui::TDBNavigator(panel);
    row->addWidget(DBNavigator1);
    row->addStretch(1);
    BitBtn1 = new QPushButton("&Close", panel);
    row->addWidget(BitBtn1);
    layout->addWidget(panel);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

void Tfmemo::SetDataSource(db::TDataSource* source) {
    DBText1->SetDataSource(source);
    DBMemo1->SetDataSource(source);
    DBNavigator1->SetDataSource(source);
}

void Tfmemo::BitBtn1Click() {
    close();
}

}  // namespace book
