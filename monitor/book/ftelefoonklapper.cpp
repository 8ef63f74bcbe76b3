#include "monitor/book/ftelefoonklapper.h"

#include <QAction>
#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <optional>
#include <utility>

#include "monitor/book/grid_layout.h"
#include "monitor/book/navigator_hints.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/hourglass_cursor.h"
#include "platform/ui/ini_layout_store.h"

namespace book {

namespace {

constexpr const char* kLayoutSection = "ftelefoonklapper";
constexpr const char* kGridName = "klapper";

struct GridColumn {
    const char* field;
    int width;                // 0: the field's own
    const char* sample = "";  // a value the column must show whole
};
constexpr std::array<GridColumn, 17> kColumns = {{
    {"NUMMER", 74, "0301234567"},
    {"VOORNAAM", 90},
    {"NAAM", 125},
    {"AANHANGSEL", 104},
    {"STRAAT", 136},
    {"POSTCODE", 0},
    {"PLAATS", 145},
    {"OMSCHR", 81},
    {"EXTRA", 78},
    {"AFWIJZEN", 79},
    {"GELUID", 73},
    {"TIJD", 0},
    {"CMDLINE", 98},
    {"KLEUR", 59},
    {"FONTKLEUR", 95},
    {"ZOEKSTATUS", 114},
    {"MEMO", 59},
}};

}  // namespace

// The core's way to the desktop: the dialog service, the splash line, the other windows.
class TFTelefoonklapper::Port : public KlapperPort {
  public:
    explicit Port(TFTelefoonklapper& form) : form_(form) {}

    bool AskYesCancel(const std::string& text) override {
        return ui::dialogs().MessageDlg(text, ui::MsgDlgType::Warning, ui::mbYes | ui::mbCancel) ==
               ui::mrYes;
    }
    void ErrorBox(const std::string& text) override {
        ui::dialogs().MessageDlg(text, ui::MsgDlgType::Error, ui::mbOK);
    }
    void Message(const std::string& text) override { ui::dialogs().ShowMessage(text); }
    void SplashStep(const std::string& text) override {
        if (form_.OnSplashStep) {
            form_.OnSplashStep(text);
        }
    }
    void ShowMonitor() override {
        if (form_.OnShowMonitor) {
            form_.OnShowMonitor();
        }
    }
    void HideKlapper() override { form_.close(); }
    void Busy(bool on) override {
        if (on) {
            cursor_.emplace();
        } else {
            cursor_.reset();
        }
    }
    void StateChanged() override { form_.ShowState(); }

  private:
    TFTelefoonklapper& form_;
    std::optional<ui::HourglassCursor> cursor_;
};

TFTelefoonklapper::TFTelefoonklapper(rtl::TIniFile& ini, rtl::TIniFile& gridIni, std::string folder,
                                     QWidget* parent)
    : ui::Form(parent), ini_(ini), gridIni_(gridIni), port_(std::make_unique<Port>(*this)) {
    core_ = std::make_unique<KlapperCore>(*port_, ini, std::move(folder));
    setObjectName("FTelefoonklapper");
    SetCaption("Telefoonklapper");
    SetHelpContext(330);
    // Arial at 15 pixels high: 11 points on a 96 dpi screen.
    SetFormFont({"Arial", 11, ui::clWindowText, false, false, false, false});
    SetCloseAction(ui::CloseAction::Hide);
    move(109, 125);
    resize(627, 447);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    BuildMenus(*bar);
    FillCommandMenus(*bar);
    BuildGrid();
    layout->addWidget(g2_, 1);
    layout->addWidget(BuildBottomPanel());
    foongrep_ = std::make_unique<KlapperFoongrep>(*core_, *foongrepMenu_, *annuleerZoeken_, *lbfa_);
}

TFTelefoonklapper::~TFTelefoonklapper() {
    // A lookup still running writes nothing once its window goes.
    foongrep_.reset();
    try {
        core_->Destroy();
    } catch (const std::exception& error) {
        ui::ShowException(error);
    }
    CloseCommandWindows();
    // The grid and navigator let go of the data source before the core frees it.
    delete g2_;
    delete navigator_;
}

void TFTelefoonklapper::BuildMenus(QMenuBar& bar) {
    bar.addMenu("Instellingen");
    foongrepMenu_ = bar.addMenu("Foongrep");

    sortMenu_ = bar.addMenu("Sorteren");
    auto* sortGroup = new QActionGroup(this);
    // No item is checked while the stored choice lies outside the menu.
    sortGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int n = 0; n < kKlapperIndexes; ++n) {
        QAction* item = sortMenu_->addAction(kKlapperIndex[static_cast<std::size_t>(n)].caption);
        item->setCheckable(true);
        sortGroup->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, n] { Guarded([&] { core_->Sorteren(n); }); });
        sortItems_[static_cast<std::size_t>(n)] = item;
    }

    filterMenu_ = bar.addMenu("Filters");
    for (int n = 0; n < kKlapperFilters; ++n) {
        QAction* item = filterMenu_->addAction(kKlapperFilter[static_cast<std::size_t>(n)].caption);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this,
                [this, n] { Guarded([&] { core_->FilterOp(n); }); });
        filterItems_[static_cast<std::size_t>(n)] = item;
    }
    filterMenu_->addAction("Zelf filter maken")->setEnabled(false);
    filterMenu_->addSeparator();
    geenFilter_ = filterMenu_->addAction("Geen Filter");
    connect(geenFilter_, &QAction::triggered, this,
            [this] { Guarded([&] { core_->Geenfilter1Click(); }); });

    bar.addMenu("Rapport/Printen");
    QMenu* wissen = bar.addMenu("Wissen");
    allesWissen_ = wissen->addAction("Alles wissen");
    connect(allesWissen_, &QAction::triggered, this,
            [this] { Guarded([&] { core_->Wisregel1Click(); }); });
    bar.addMenu("Import/Export");
    bar.addMenu("Zoeken");
}

void TFTelefoonklapper::BuildGrid() {
    g2_ = new ui::TDBGrid(this);
    g2_->setObjectName("g2");
    g2_->SetOptions(g2_->Options() | ui::dgRowSelect | ui::dgMultiSelect | ui::dgConfirmDelete);
    g2_->SetHint("Dubbelklik of Enter om te bewerken");
    g2_->OnDblClick = [this](ui::TDBGrid&) { g2DblClick(); };
    g2_->OnKeyPress = [this](ui::TDBGrid&, char& key) {
        if (key == 13) {
            g2DblClick();
        }
    };
    for (const GridColumn& c : kColumns) {
        g2_->Columns().Add().SetFieldName(c.field);
    }
    FitGridToFont();
    g2_->SetDataSource(&core_->DataSource2());
}

void TFTelefoonklapper::FitGridToFont() {
    g2_->SetParentFont(FormFont());
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        g2_->Columns()[static_cast<int>(i)].SetDesignWidth(kColumns[i].width, kColumns[i].sample);
    }
}

QWidget* TFTelefoonklapper::BuildBottomPanel() {
    auto* panel = new QWidget(this);
    // The buttons above, the status and the count below: in the window's font one row would
    // leave the status no room at the design width.
    auto* rows = new QVBoxLayout(panel);
    auto* row = new QHBoxLayout;
    rows->addLayout(row);
    row->addWidget(BuildDialButton(*panel));
    navigator_ = new ui::TDBNavigator(panel);
    navigator_->SetVisibleButtons(ui::kAllNavigateButtons & ~ui::NavigateButton(ui::nbEdit));
    SetBookNavigatorHints(*navigator_);
    navigator_->SetDataSource(&core_->DataSource2());
    row->addWidget(navigator_);

    auto* sluiten = new QPushButton("&Sluiten", panel);
    sluiten->setObjectName("BitBtn1");
    sluiten->setToolTip("Venster sluiten");
    connect(sluiten, &QPushButton::clicked, this, [this] { close(); });
    row->addWidget(sluiten);

    annuleerZoeken_ = new QPushButton("annuleer zoeken", panel);
    annuleerZoeken_->setObjectName("annuleerzoeken");
    annuleerZoeken_->setVisible(false);
    row->addWidget(annuleerZoeken_);
    row->addStretch(1);

    auto* labels = new QHBoxLayout;
    rows->addLayout(labels);
    lbfa_ = new QLabel("Dubbelklik of Enter om een veld te wijzigen.", panel);
    lbfa_->setObjectName("lbfa");
    // A long status text is cut, it never widens the window.
    lbfa_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    labels->addWidget(lbfa_, 1);
    lteller_ = new QLabel(panel);
    lteller_->setObjectName("lteller");
    lteller_->setToolTip("Aatal records");
    labels->addWidget(lteller_);
    return panel;
}

void TFTelefoonklapper::FormCreate() {
    Guarded([&] {
        RestoreLayout(ui::IniLayoutStore(ini_), kLayoutSection);
        FitGridToFont();
        core_->Create();
        laaddbgrid(gridIni_, *this, *g2_, kGridName);
        ShowState();
    });
}

void TFTelefoonklapper::FormClose(ui::CloseAction& action) {
    (void)action;
    Guarded([&] {
        ui::IniLayoutStore store(ini_);
        SaveLayout(store, kLayoutSection);
        core_->Close();
        savedbgrid(gridIni_, *this, *g2_, kGridName);
    });
}

void TFTelefoonklapper::ShowState() {
    lteller_->setText(QString::fromStdString(core_->CountLabel()));
    for (int n = 0; n < kKlapperIndexes; ++n) {
        sortItems_[static_cast<std::size_t>(n)]->setChecked(core_->CheckedSort() == n);
    }
    for (int n = 0; n < kKlapperFilters; ++n) {
        filterItems_[static_cast<std::size_t>(n)]->setChecked(core_->CheckedFilter() == n);
    }
    filterMenu_->setTitle(QString::fromStdString(core_->FiltersCaption()));
}

void TFTelefoonklapper::Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ui::ShowException(error);
    }
    ShowState();
}

}  // namespace book
