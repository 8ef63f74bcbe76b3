// The call-log window's commands: font, memo, sort, filters, report, deleting, the exports, the
// search, copying into the phone book, dialling and the edit form.

#include <QApplication>
#include <QMenuBar>
#include <exception>
#include <string>
#include <vector>

#include "monitor/book/dial_number.h"
#include "monitor/book/export_dialog_port.h"
#include "monitor/book/f_zoeken.h"
#include "monitor/book/flogedit.h"
#include "monitor/book/fmemolog.h"
#include "monitor/book/ftelefoonlog.h"
#include "monitor/book/klapper_core.h"
#include "monitor/book/log_foongrep.h"
#include "monitor/book/marked_rows.h"
#include "monitor/book/printdbgrids.h"
#include "monitor/book/table_export.h"
#include "monitor/settings.h"
#include "platform/db/field.h"
#include "platform/os/desktop_dialer.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/hourglass_cursor.h"

namespace book {

namespace {

// The proposed name keeps its own extension; a name typed without one gets ".txt".
const ExportDialog kTextExport = {"", "txt", "export 1.txt"};
// The dialler's buffers hold 255 characters.
constexpr std::size_t kDialChars = 255;

void Forward(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace

void TfTelefoonLog::BuildCommandMenus() {
    // A main menu keeps the menu font; the window's font is for the grid and the panel.
    MainMenu1->setFont(ui::MenuBarFont());
    auto item = [this](QMenu& menu, const QString& caption, std::function<void()> command) {
        QAction* action = menu.addAction(caption);
        connect(action, &QAction::triggered, this,
                [this, command = std::move(command)] { Guarded(command); });
        return action;
    };
    Lettertype1 = item(*Instellingen1, "Lettertype", [this] { Lettertype1Click(); });
    mnMemozichtbaar1 = item(*Instellingen1, "Memo zichtbaar", [this] { mnMemozichtbaar1Click(); });

    for (int n = 0; n < kLogIndexCount; ++n) {
        connect(msorteren[static_cast<std::size_t>(n)], &QAction::triggered, this,
                [this, n] { Guarded([this, n] { msorterenClick(n); }); });
    }

    for (int n = 0; n < kLogFilterCount; ++n) {
        const LogFilter& filter = kLogFilters[static_cast<std::size_t>(n)];
        QAction* action = item(
            *Filters1, QString::fromUtf8(filter.item.data(), static_cast<int>(filter.item.size())),
            [this, n] { FilteropClick(n); });
        action->setCheckable(true);
        mfilters[static_cast<std::size_t>(n)] = action;
    }
    Zelfeenfiltermaken1 = Filters1->addAction("Zelf een Filter maken");
    Zelfeenfiltermaken1->setEnabled(false);
    Filters1->addSeparator();
    Geenfilter1 = item(*Filters1, "Filters uit", [this] { Geenfilter1Click(); });

    Print2 = item(*RapportPrinten1, "Maak Rapport", [this] { Print2Click(); });
    Geselecteerderegels1 =
        item(*Wissen1, "Geselecteerde regels", [this] { Geselecteerderegels1Click(); });
    Wisalles1 = item(*Wissen1, "Wis alles", [this] { Wisalles1Click(); });
    Gescheidendoorkommas1 =
        item(*Exporteren1, "Exporteren: CVS", [this] { Gescheidendoorkommas1Click(); });
    Gescheidendoorspaties1 = item(*Exporteren1, "Exporteren: Gescheiden door spaties",
                                  [this] { Gescheidendoorspaties1Click(); });
    Zoeken2 = item(*Zoeken1, "Zoek", [this] { Zoeken2Click(); });

    connect(bNaartelefoonklapper, &QToolButton::clicked, this,
            [this] { Guarded([this] { bNaartelefoonklapperClick(); }); });
    connect(bbel, &QToolButton::clicked, this, [this] { Guarded([this] { bbelClick(); }); });
    g1->OnDblClick = [this](ui::TDBGrid&) { Guarded([this] { g1DblClick(); }); };
    g1->OnKeyPress = [this](ui::TDBGrid&, char& key) {
        if (key == '\r') {
            Guarded([this] { g1DblClick(); });
        }
    };
}

void TfTelefoonLog::Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        ShowException(e.what());
    }
}

Tflogedit* TfTelefoonLog::EditForm() const {
    return edit_.data();
}

void TfTelefoonLog::SetMemo(Tfmemolog* memo) {
    memo_ = memo;
}

void TfTelefoonLog::SetDirectoryRunner(monitor::DirectoryRunner* runner) {
    foongrep_->SetRunner(runner);
}

void TfTelefoonLog::Lettertype1Click() {
    ui::FontSpec font = FormFont();
    if (!ui::dialogs().ChooseFont(font)) {
        return;
    }
    SetFormFont(font);
    g1->SetFont(font);
    auto takeOver = [&font](ui::FontSpec own) {
        own.color = font.color;
        own.name = font.name;
        own.size = font.size;
        return own;
    };
    ui::TDBGridColumns& columns = g1->Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        ui::TColumn& column = columns[i];
        column.SetFont(takeOver(column.Font()));
        column.Title().SetFont(takeOver(column.Title().Font()));
    }
    g1->Repaint();
}

void TfTelefoonLog::mnMemozichtbaar1Click() {
    if (memo_) {
        Forward(*memo_);
    }
}

void TfTelefoonLog::msorterenClick(int n) {
    ui::HourglassCursor busy;
    core_->Sorteren(n);
}

void TfTelefoonLog::ShowFilterMarks() {
    for (std::size_t n = 0; n < mfilters.size(); ++n) {
        mfilters[n]->setChecked(filterMarks_[n]);
    }
}

void TfTelefoonLog::FilteropClick(int n) {
    if (n < 0 || n >= kLogFilterCount) {
        return;
    }
    try {
        core_->FilterOp(n);
    } catch (...) {
        // The item's own toggle is undone: the marks show the filters that were set.
        ShowFilterMarks();
        throw;
    }
    if (t1().Active()) {
        filterMarks_[static_cast<std::size_t>(n)] = true;
        Filters1->setTitle("Filters (aan)");
    }
    ShowFilterMarks();
}

void TfTelefoonLog::Geenfilter1Click() {
    filterMarks_.fill(false);
    ShowFilterMarks();
    Filters1->setTitle("Filters (uit)");
    core_->FiltersUit();
}

void TfTelefoonLog::Print2Click() {
    Tprintdbgridsform::PrintDBGrid(t1(), *g1, "Telefoonlog", "ISDN Belverin");
}

void TfTelefoonLog::Geselecteerderegels1Click() {
    ui::HourglassCursor busy;
    WisGeselecteerdeRegels(g1->SelectedRows(), t1(), [](const std::string& question) {
        return ui::dialogs().MessageDlg(question, ui::MsgDlgType::Warning,
                                        ui::mbYes | ui::mbCancel) == ui::mrYes;
    });
}

void TfTelefoonLog::Wisalles1Click() {
    if (ui::dialogs().MessageDlg("Alles wissen ?", ui::MsgDlgType::Warning,
                                 ui::mbYes | ui::mbCancel) != ui::mrYes) {
        return;
    }
    std::vector<std::string> errors;
    std::string failure;
    {
        ui::HourglassCursor busy;
        try {
            core_->WisAlles(errors);
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }
    // Shown only now: a box's event loop must not let a call meet the closed table.
    for (const std::string& error : errors) {
        ErrorBox(error);
    }
    if (!failure.empty()) {
        ShowException(failure);
    }
    if (ui::dialogs().MessageDlg("Ook de Teller van de Monitor resetten?",
                                 ui::MsgDlgType::Confirmation, ui::mbYes | ui::mbNo) == ui::mrYes &&
        OnResetTeller) {
        OnResetTeller();
    }
}

void TfTelefoonLog::Gescheidendoorkommas1Click() {
    ProgramExportPort port;
    ExportTable(a1(), kExportCommaSeparated, kTextExport, port);
}

void TfTelefoonLog::Gescheidendoorspaties1Click() {
    ProgramExportPort port;
    ExportTable(a1(), kExportBlankSeparated, kTextExport, port);
}

void TfTelefoonLog::Zoeken2Click() {
    Tf_zoeken::Open(GridDoel(t1(), *g1));
}

void TfTelefoonLog::bNaartelefoonklapperClick() {
    xbase::TTable& t = t1();
    if (klapper_ == nullptr || !t.Active()) {
        return;
    }
    t.CheckBrowseMode();
    // An empty log has no row to copy; the phone book would get an empty entry.
    if (t.IsEmpty()) {
        return;
    }
    auto field = [&t](const char* name) { return t.FieldByName(name).AsString(); };
    KlapperBeller beller;
    beller.nummer = field("NUMMER");
    beller.voornaam = field("VOORNAAM");
    beller.naam = field("NAAM");
    beller.aanhangsel = field("AANHANGSEL");
    beller.straat = field("STRAAT");
    beller.postcode = field("POSTCODE");
    beller.plaats = field("PLAATS");
    beller.zoekstatus = "Gekopieerd vanuit het Log-bestand";
    klapper_->nieuw(beller, "log");
    if (OnShowKlapper) {
        OnShowKlapper();
    }
}

void TfTelefoonLog::bbelClick() {
    if (DialCurrent(t1(), monitor::instellingen.voorvoegsel, os::dialer(), kDialChars) ==
        DialOutcome::Refused) {
        ui::dialogs().ShowMessage(kDialFailed);
    }
}

void TfTelefoonLog::g1DblClick() {
    if (edit_) {
        Forward(*edit_);
        return;
    }
    edit_ = Tflogedit::Open(*core_);
}

void TfTelefoonLog::CloseCommandWindows() {
    delete edit_.data();
    if (zoeken().Doel().data == &t1()) {
        delete Tf_zoeken::Current();
        zoeken().SetDoel({});
    }
}

}  // namespace book
