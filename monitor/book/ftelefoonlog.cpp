#include "monitor/book/ftelefoonlog.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "monitor/book/flogedit.h"
#include "monitor/book/grid_layout.h"
#include "monitor/book/log_foongrep.h"
#include "monitor/book/navigator_hints.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/ini_layout_store.h"

namespace book {

namespace {

constexpr const char* kSection = "ftelefoonlog";

struct DesignColumn {
    const char* field;
    int width;                // 0: the field's own
    const char* sample = "";  // a value the column must show whole
};

constexpr std::array<DesignColumn, 14> kColumns = {{
    {"DATUM", 67, "2026-12-31"},
    {"TIJD", 57, "23:59:59"},
    {"NUMMER", 72, "0301234567"},
    {"VOORNAAM", 87},
    {"NAAM", 122},
    {"AANHANGSEL", 99},
    {"STRAAT", 114},
    {"POSTCODE", 0},
    {"PLAATS", 162},
    {"MSN", 84},
    {"SOORT", 100},
    {"ZOEKSTATUS", 136},
    {"CAPISTATUS", 119},
    {"MEMO", 0},
}};

}  // namespace

TfTelefoonLog::TfTelefoonLog(const std::string& programDir, rtl::TIniFile& belvo,
                             rtl::TIniFile& grids, SplashText splash, QWidget* parent)
    : ui::Form(parent), belvo_(belvo), grids_(grids), splash_(std::move(splash)) {
    SetCaption("Telefoon Log ");
    SetHelpContext(350);
    SetCloseAction(ui::CloseAction::Hide);
    SetFormFont(ui::FontSpec{"Arial", 8});
    setGeometry(132, 125, 622, 447);

    core_ = std::make_unique<TelefoonLog>(programDir, belvo_, static_cast<TelefoonLogPort&>(*this));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildMenu();
    layout->setMenuBar(MainMenu1);
    BuildGrid();
    layout->addWidget(g1, 1);
    BuildPanel();
    layout->addWidget(Panel1);
    Memo1 = new QPlainTextEdit(this);
    Memo1->hide();
    foongrep_ = std::make_unique<LogFoongrep>(
        *core_, *Foongrep1, *banuleerzoeken, *BitBtn1, *lbfa, [this] { return klapper_; }, nullptr);
    BuildCommandMenus();
}

TfTelefoonLog::~TfTelefoonLog() {
    CloseCommandWindows();
    foongrep_.reset();
    core_->FormDestroy();
}

void TfTelefoonLog::BuildMenu() {
    MainMenu1 = new QMenuBar(this);
    Instellingen1 = MainMenu1->addMenu("Instellingen");
    Sorteren1 = MainMenu1->addMenu("Sorteren");
    sortGroup_ = new QActionGroup(this);
    sortGroup_->setExclusive(true);
    for (int n = 0; n < kLogIndexCount; ++n) {
        QAction* item = Sorteren1->addAction(
            QString::fromStdString(std::string(kLogIndexes[static_cast<std::size_t>(n)].sortItem)));
        item->setCheckable(true);
        sortGroup_->addAction(item);
        msorteren[static_cast<std::size_t>(n)] = item;
    }
    Foongrep1 = MainMenu1->addMenu("Foongrep");
    Filters1 = MainMenu1->addMenu("Filters");
    RapportPrinten1 = MainMenu1->addMenu("Rapport/Printen");
    Wissen1 = MainMenu1->addMenu("Wissen");
    Exporteren1 = MainMenu1->addMenu("Exporteren");
    Zoeken1 = MainMenu1->addMenu("Zoeken");
}

void TfTelefoonLog::BuildGrid() {
    g1 = new ui::TDBGrid(this);
    g1->SetOptions(ui::dgTitles | ui::dgIndicator | ui::dgColumnResize | ui::dgColLines |
                   ui::dgRowLines | ui::dgTabs | ui::dgRowSelect | ui::dgAlwaysShowSelection |
                   ui::dgConfirmDelete | ui::dgCancelOnExit | ui::dgMultiSelect);
    g1->SetHint("Dubbelklik of Enter om te bewerken");
    for (const DesignColumn& design : kColumns) {
        g1->Columns().Add().SetFieldName(design.field);
    }
    FitGridToFont();
    g1->SetDataSource(&core_->DataSource1());
}

void TfTelefoonLog::FitGridToFont() {
    g1->SetParentFont(FormFont());
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        g1->Columns()[static_cast<int>(i)].SetDesignWidth(kColumns[i].width, kColumns[i].sample);
    }
}

void TfTelefoonLog::BuildPanel() {
    Panel1 = new QWidget(this);
    Panel1->setToolTip("Aantal records");
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(4, 3, 4, 3);
    lbfa = new QLabel("Dubbelklik of Enter om een veld te wijzigen.", Panel1);
    row->addWidget(lbfa, 1);
    lteller = new QLabel("Aantal records:", Panel1);
    row->addWidget(lteller);

    bNaartelefoonklapper = new QToolButton(Panel1);
    bNaartelefoonklapper->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    bNaartelefoonklapper->setToolTip("Opslaan in de klapper");
    row->addWidget(bNaartelefoonklapper);
    bbel = new QToolButton(Panel1);
    bbel->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    bbel->setToolTip("Nummer bellen (Phone Dailer)");
    row->addWidget(bbel);

    DBNavigator1 = new ui::TDBNavigator(Panel1);
    DBNavigator1->SetVisibleButtons(
        ui::NavigateButton(ui::nbFirst) | ui::NavigateButton(ui::nbPrior) |
        ui::NavigateButton(ui::nbNext) | ui::NavigateButton(ui::nbLast) |
        ui::NavigateButton(ui::nbDelete) | ui::NavigateButton(ui::nbRefresh));
    SetBookNavigatorHints(*DBNavigator1);
    DBNavigator1->SetDataSource(&core_->DataSource1());
    row->addWidget(DBNavigator1);

    // The cancel button takes the close button's place while a batch lookup runs.
    BitBtn1 = new QPushButton("&Sluiten", Panel1);
    BitBtn1->setToolTip("Venster sluiten");
    row->addWidget(BitBtn1);
    banuleerzoeken = new QPushButton("Annuleer zoeken", Panel1);
    banuleerzoeken->setToolTip("Annuleer zoeken (zo spoedig mogelijk)");
    banuleerzoeken->hide();
    row->addWidget(banuleerzoeken);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { close(); });
}

void TfTelefoonLog::FormCreate() {
    core_->FormCreate();
}

void TfTelefoonLog::FormClose(ui::CloseAction& action) {
    core_->FormClose();
    action = ui::CloseAction::Hide;
}

void TfTelefoonLog::SplashStep(const std::string& text) {
    if (splash_) {
        splash_(text);
    }
}

void TfTelefoonLog::ErrorBox(const std::string& text) {
    ui::dialogs().MessageDlg(text, ui::MsgDlgType::Error, ui::mbOK);
}

void TfTelefoonLog::MessageBox(const std::string& text) {
    ui::dialogs().ShowMessage(text);
}

void TfTelefoonLog::ShowException(const std::string& message) {
    ui::dialogs().MessageDlg(message, ui::MsgDlgType::Error, ui::mbOK);
}

void TfTelefoonLog::RestoreWindowLayout() {
    const ui::IniLayoutStore store(belvo_);
    RestoreLayout(store, kSection);
    FitGridToFont();
}

void TfTelefoonLog::StoreWindowLayout() {
    ui::IniLayoutStore store(belvo_);
    SaveLayout(store, kSection);
}

void TfTelefoonLog::LoadGridLayout(const std::string& name) {
    laaddbgrid(grids_, *this, *g1, name);
}

void TfTelefoonLog::SaveGridLayout(const std::string& name) {
    savedbgrid(grids_, *this, *g1, name);
}

void TfTelefoonLog::ShowCounter(const std::string& text) {
    lteller->setText(QString::fromStdString(text));
}

void TfTelefoonLog::CheckSortItem(int index) {
    if (index < 0 || index >= kLogIndexCount) {
        // An exclusive group keeps one item checked; let go of it for a moment.
        sortGroup_->setExclusive(false);
        for (QAction* item : msorteren) {
            item->setChecked(false);
        }
        sortGroup_->setExclusive(true);
        return;
    }
    msorteren[static_cast<std::size_t>(index)]->setChecked(true);
}

int TfTelefoonLog::CheckedSortItem() const {
    for (int n = 0; n < kLogIndexCount; ++n) {
        if (msorteren[static_cast<std::size_t>(n)]->isChecked()) {
            return n;
        }
    }
    return -1;
}

}  // namespace book
