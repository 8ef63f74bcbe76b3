#include "monitor/book/flogedit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <exception>

#include "monitor/book/navigator_hints.h"
#include "monitor/book/telefoon_log.h"
#include "platform/ui/db_ctrl_grid.h"
#include "platform/ui/db_edit.h"
#include "platform/ui/db_memo.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/dialogs.h"

namespace book {

namespace {

constexpr int kHelpContext = 350;

struct Labelled {
    const char* label;
    const char* field;
};

constexpr std::array<Labelled, Tflogedit::kEditCount> kEdits = {{
    {"Nummer", "NUMMER"},
    {"Datum", "DATUM"},
    {"Tijd", "TIJD"},
    {"Voornaam", "VOORNAAM"},
    {"Naam", "NAAM"},
    {"Aanhangsel", "AANHANGSEL"},
    {"Straat", "STRAAT"},
    {"Postcode", "POSTCODE"},
    {"Plaats", "PLAATS"},
    {"MSN", "MSN"},
    {"Soort", "SOORT"},
    {"Zoekstatus", "ZOEKSTATUS"},
    {"Capistatus", "CAPISTATUS"},
}};

}  // namespace

Tflogedit* Tflogedit::Open(TelefoonLog& log) {
    auto* form = new Tflogedit(log);
    form->show();
    return form;
}

Tflogedit::Tflogedit(TelefoonLog& log, QWidget* parent) : ui::Form(parent), log_(log) {
    SetCaption("Invoerscherm Log");
    SetHelpContext(kHelpContext);
    SetCloseAction(ui::CloseAction::Free);
    db::TDataSource* source = &log_.DataSource1();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    DBCtrlGrid1 = new ui::TDBCtrlGrid(this);
    DBCtrlGrid1->SetDataSource(source);
    ui::SetControlHelpContext(DBCtrlGrid1, kHelpContext);
    auto* grid = new QGridLayout(DBCtrlGrid1->Panel());
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setColumnStretch(1, 1);
    for (std::size_t i = 0; i < kEdits.size(); ++i) {
        auto* label = new QLabel(QString::fromUtf8(kEdits[i].label), DBCtrlGrid1->Panel());
        auto* edit = new ui::TDBEdit(DBCtrlGrid1->Panel());
        edit->SetDataSource(source);
        edit->SetDataField(kEdits[i].field);
        ui::SetControlHelpContext(edit, kHelpContext);
        label->setBuddy(edit);
        grid->addWidget(label, static_cast<int>(i), 0);
        grid->addWidget(edit, static_cast<int>(i), 1);
        edits[i] = edit;
    }
    auto* memoLabel = new QLabel("Memo", DBCtrlGrid1->Panel());
    DBMemo1 = new ui::TDBMemo(DBCtrlGrid1->Panel());
    DBMemo1->SetDataSource(source);
    DBMemo1->SetDataField("MEMO");
    DBMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DBMemo1->setMinimumHeight(70);
    ui::SetControlHelpContext(DBMemo1, kHelpContext);
    memoLabel->setBuddy(DBMemo1);
    grid->addWidget(memoLabel, kEditCount, 0, Qt::AlignTop);
    grid->addWidget(DBMemo1, kEditCount, 1);
    grid->setRowStretch(kEditCount, 1);
    column->addWidget(DBCtrlGrid1, 1);

    auto* bottom = new QHBoxLayout;
    DBNavigator1 = new ui::TDBNavigator(this);
    DBNavigator1->SetDataSource(source);
    SetBookNavigatorHints(*DBNavigator1);
    ui::SetControlHelpContext(DBNavigator1, kHelpContext);
    bottom->addWidget(DBNavigator1);
    bottom->addStretch(1);
    BitBtn1 = new QPushButton("&Sluiten", this);
    ui::SetControlHelpContext(BitBtn1, kHelpContext);
    bottom->addWidget(BitBtn1);
    column->addLayout(bottom);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { close(); });
    resize(460, 560);
}

void Tflogedit::FormClose(ui::CloseAction& action) {
    try {
        // Only a pending edit or insert is stored: closing over an empty log adds no record.
        if (log_.t1().Active()) {
            log_.a1().Commit();
        }
        action = ui::CloseAction::Free;
    } catch (const std::exception& error) {
        // The edit stays on screen so that nothing typed is lost.
        ui::dialogs().MessageDlg(error.what(), ui::MsgDlgType::Error, ui::mbOK);
        action = ui::CloseAction::None;
    }
}

}  // namespace book
