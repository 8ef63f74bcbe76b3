#include "monitor/book/fmemolog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace book {

Tfmemolog::Tfmemolog(QWidget* parent) : ui::Form(parent) {
    // A tool window without border icons: it closes through its own button only.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    SetStayOnTop(true);
    SetCaption("Memo log bestand");
    SetCloseAction(ui::CloseAction::Hide);
    resize(320, 240);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    DBText1 = new ui::TDBText(this);
    DBText1->SetDataField("NAAM");
    layout->addWidget(DBText1);
    DBMemo1 = new ui::TDBMemo(this);
    DBMemo1->SetDataField("MEMO");
    DBMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(DBMemo1, 1);

    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    DBNavigator1 = new ui::TDBNavigator(panel);
    DBNavigator1->SetVisibleButtons(ui::NavigateButton(ui::nbPost) |
                                    ui::NavigateButton(ui::nbCancel) |
                                    ui::NavigateButton(ui::nbRefresh));
    row->addWidget(DBNavigator1);
    row->addStretch(1);
    BitBtn1 = new QPushButton("Sluiten", panel);
    row->addWidget(BitBtn1);
    layout->addWidget(panel);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { close(); });
}

void Tfmemolog::SetDataSource(db::TDataSource* source) {
    DBText1->SetDataSource(source);
    DBMemo1->SetDataSource(source);
    DBNavigator1->SetDataSource(source);
}

}  // namespace book
