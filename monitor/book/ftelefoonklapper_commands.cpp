// The phone-book window's commands: font, memo, report, deleting marked rows, the exports, the
// import, the search, the entry edit window and dialling.

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenuBar>
#include <QPushButton>

#include "monitor/book/dial_number.h"
#include "monitor/book/export_dialog_port.h"
#include "monitor/book/f_zoeken.h"
#include "monitor/book/fimporterenkomma.h"
#include "monitor/book/fmemo.h"
#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/ftelklapperedit.h"
#include "monitor/book/marked_rows.h"
#include "monitor/book/printdbgrids.h"
#include "monitor/book/table_export.h"
#include "monitor/settings.h"
#include "platform/os/desktop_dialer.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/hourglass_cursor.h"
#include "xbase/table.h"

namespace book {

namespace {

const ExportDialog kCsvExport = {
    "Comma Separated Values (CSV)|*.csv|Alles  (*.*)|*.*|Tekst (txt)|*.txt", "csv"};
const ExportDialog kSpatiesExport = {"Alles  (*.*)|*.*|LOG (log)|*.log|Tekst (txt)|*.txt", "txt"};

QMenu* MenuTitled(QMenuBar& bar, const char* title) {
    for (QAction* action : bar.actions()) {
        if (action->menu() != nullptr && action->text() == QLatin1String(title)) {
            return action->menu();
        }
    }
    return bar.addMenu(title);
}

// Brings a window that is already open to the front.
void Forward(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace

void TFTelefoonklapper::SetMemo(Tfmemo* memo) {
    memo_ = memo;
}

TFtelklapperedit* TFTelefoonklapper::EditWindow() const {
    return edit_.data();
}

void TFTelefoonklapper::FillCommandMenus(QMenuBar& bar) {
    // A main menu keeps the menu font; the window's font is for the grid and the panel.
    bar.setFont(ui::MenuBarFont());
    auto item = [this](QMenu& menu, const char* caption, void (TFTelefoonklapper::*command)()) {
        QAction* action = menu.addAction(caption);
        connect(action, &QAction::triggered, this,
                [this, command] { Guarded([&] { (this->*command)(); }); });
        return action;
    };
    QMenu& instellingen = *MenuTitled(bar, "Instellingen");
    item(instellingen, "Lettertype", &TFTelefoonklapper::Lettertype1Click);
    item(instellingen, "Memo zichtbaar", &TFTelefoonklapper::Memozichtbaar1Click);

    item(*MenuTitled(bar, "Rapport/Printen"), "Rapport maken",
         &TFTelefoonklapper::Rapportmaken1Click);

    QMenu& wissen = *MenuTitled(bar, "Wissen");
    QAction* geselecteerd =
        item(wissen, "Geselecteerde regels", &TFTelefoonklapper::Geselecteerderegels1Click);
    // Before "Alles wissen".
    wissen.removeAction(geselecteerd);
    wissen.insertAction(wissen.actions().value(0), geselecteerd);

    QMenu& importExport = *MenuTitled(bar, "Import/Export");
    item(importExport, "Exporteren: Comma Separated Values (CSV)",
         &TFTelefoonklapper::ExporterenCsvClick);
    item(importExport, "Exporteren: Gescheiden door spaties",
         &TFTelefoonklapper::ExporterenSpatiesClick);
    importExport.addSeparator();
    item(importExport, "Importeren: Comma Separated Values (CSV)",
         &TFTelefoonklapper::Importeren1Click);

    item(*MenuTitled(bar, "Zoeken"), "Zoek", &TFTelefoonklapper::Zoek1Click);
}

QWidget* TFTelefoonklapper::BuildDialButton(QWidget& panel) {
    bbel_ = new QPushButton(&panel);
    bbel_->setObjectName("bbel");
    const QIcon phone = QIcon::fromTheme("call-start");
    if (phone.isNull()) {
        bbel_->setText("Bellen");
    } else {
        bbel_->setIcon(phone);
    }
    bbel_->setToolTip("Nummer bellen (Phone Dailer)");
    connect(bbel_, &QPushButton::clicked, this, [this] { Guarded([&] { bbelClick(); }); });
    return bbel_;
}

void TFTelefoonklapper::Lettertype1Click() {
    ui::FontSpec font = FormFont();
    if (!ui::dialogs().ChooseFont(font)) {
        return;
    }
    SetFormFont(font);
    g2_->SetFont(font);
    auto takeOver = [&font](ui::FontSpec own) {
        own.color = font.color;
        own.name = font.name;
        own.size = font.size;
        return own;
    };
    ui::TDBGridColumns& columns = g2_->Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        ui::TColumn& column = columns[i];
        column.SetFont(takeOver(column.Font()));
        column.Title().SetFont(takeOver(column.Title().Font()));
    }
    g2_->Repaint();
}

void TFTelefoonklapper::Memozichtbaar1Click() {
    if (memo_) {
        Forward(*memo_);
    }
}

void TFTelefoonklapper::Rapportmaken1Click() {
    Tprintdbgridsform::PrintDBGrid(core_->t2(), *g2_, "Telefoonklapper", "ISDN Belverin");
}

void TFTelefoonklapper::Geselecteerderegels1Click() {
    ui::HourglassCursor busy;
    WisGeselecteerdeRegels(g2_->SelectedRows(), core_->t2(), [](const std::string& question) {
        return ui::dialogs().MessageDlg(question, ui::MsgDlgType::Warning,
                                        ui::mbYes | ui::mbCancel) == ui::mrYes;
    });
}

void TFTelefoonklapper::ExporterenCsvClick() {
    ProgramExportPort port;
    ExportTable(core_->a2(), kExportCommaSeparated, kCsvExport, port);
}

void TFTelefoonklapper::ExporterenSpatiesClick() {
    ProgramExportPort port;
    ExportTable(core_->a2(), kExportBlankSeparated, kSpatiesExport, port);
}

void TFTelefoonklapper::Importeren1Click() {
    TFimporterenkomma::Open(*core_);
}

void TFTelefoonklapper::Zoek1Click() {
    Tf_zoeken::Open(GridDoel(core_->t2(), *g2_));
}

void TFTelefoonklapper::g2DblClick() {
    if (edit_) {
        Forward(*edit_);
        return;
    }
    edit_ = TFtelklapperedit::Open(*core_);
}

void TFTelefoonklapper::bbelClick() {
    if (DialCurrent(core_->t2(), monitor::instellingen.voorvoegsel, os::dialer()) ==
        DialOutcome::Refused) {
        ui::dialogs().ShowMessage(kDialFailed);
    }
}

void TFTelefoonklapper::CloseCommandWindows() {
    delete edit_.data();
    delete TFimporterenkomma::Current();
    if (zoeken().Doel().data == &core_->t2()) {
        delete Tf_zoeken::Current();
        zoeken().SetDoel({});
    }
}

}  // namespace book
