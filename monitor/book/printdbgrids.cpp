#include "monitor/book/printdbgrids.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "platform/db/data_set.h"
#include "platform/rtl/date_time.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/help.h"
#include "platform/ui/report/report_preview.h"
#include "platform/ui/report/report_render.h"

namespace book {

namespace {

constexpr int kHelpContext = 421;
constexpr const char* kNiets = "Er is niets geselecteerd";

report::ReportFont ToReportFont(const ui::FontSpec& f) {
    report::ReportFont r;
    r.name = f.name.empty() ? "Arial" : f.name;
    r.size = f.size > 0 ? f.size : 8;
    r.color = f.color;
    r.bold = f.bold;
    r.italic = f.italic;
    r.underline = f.underline;
    return r;
}

report::Align ToAlign(ui::TAlignment a) {
    switch (a) {
        case ui::taRightJustify:
            return report::Align::Right;
        case ui::taCenter:
            return report::Align::Center;
        case ui::taLeftJustify:
            break;
    }
    return report::Align::Left;
}

// Builds the report over the table and shows it; the table's controls wait meanwhile and
// resume whatever happens.
void BuildAndShow(db::TDataSet& table, ui::TDBGrid& grid, const std::string& title,
                  const std::string& subtitle, const std::vector<std::string>& selected,
                  const std::optional<report::ReportFont>& otherFont) {
    if (!table.Active()) {
        ui::dialogs().ShowMessage("Error: Tabel.actief = false");
        return;
    }
    if (table.State() == db::dsEdit || table.State() == db::dsInsert) {
        table.Post();
    }
    GridReportRequest request;
    request.title = title;
    request.subtitle = subtitle;
    request.selected = selected;
    request.columns = PrintColumns(grid);
    request.reportFont =
        ToReportFont(grid.Columns().Count() > 0 ? grid.Columns()[0].Font() : grid.Font());
    request.otherFont = otherFont;
    const report::QtTextMeasurer measure;
    const report::RowScanner rows = report::DataSetRows(table);
    table.DisableControls();
    struct Resume {
        db::TDataSet& t;
        ~Resume() { t.EnableControls(); }
    } resume{table};
    const GridReport built = BuildGridReport(request, rows, measure);
    const rtl::TDateTime now = rtl::Now();
    const report::PreparedReport prepared =
        report::Prepare(built.definition, rows, measure,
                        rtl::FormatDateTime(rtl::FormatSettings().ShortDateFormat, now),
                        rtl::FormatDateTime(rtl::FormatSettings().LongTimeFormat, now));
    if (built.cut) {
        ui::dialogs().Notify("Niet alle kolommen passen op de pagina.",
                             ui::MsgDlgType::Information);
    }
    report::Preview().Show(prepared, title);
}

}  // namespace

std::vector<PrintColumn> PrintColumns(const ui::TDBGrid& grid) {
    std::vector<PrintColumn> out;
    const ui::TDBGridColumns& columns = grid.Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        const ui::TColumn& c = columns[i];
        PrintColumn p;
        p.title = c.Title().Caption();
        p.field = c.FieldName();
        p.width = c.Width();
        p.cellFont = ToReportFont(c.Font());
        p.titleFont = ToReportFont(c.Title().Font());
        p.align = ToAlign(c.Alignment());
        p.titleAlign = ToAlign(c.Title().Alignment());
        out.push_back(std::move(p));
    }
    return out;
}

void Tprintdbgridsform2::PrintDBGrid(db::TDataSet& table, ui::TDBGrid& grid,
                                     const std::string& title, const std::string& subtitle,
                                     const std::vector<std::string>& selected) {
    BuildAndShow(table, grid, title, subtitle, selected, std::nullopt);
}

void Tprintdbgridsform2::PrintDBGridanderfont(db::TDataSet& table, ui::TDBGrid& grid,
                                              const std::string& title, const std::string& subtitle,
                                              const std::vector<std::string>& selected) {
    ui::FontSpec font = grid.Font();
    if (!ui::dialogs().ChooseFont(font)) {
        return;
    }
    BuildAndShow(table, grid, title, subtitle, selected, ToReportFont(font));
}

QPointer<Tprintdbgridsform> Tprintdbgridsform::current_;

Tprintdbgridsform::Tprintdbgridsform(QWidget* parent) : ui::Form(parent) {
    setObjectName("printdbgridsform");
    SetCloseAction(ui::CloseAction::Free);
    SetHelpContext(kHelpContext);
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("Selecteer de kolommen voor het rapport", this), 0, 0, 1, 3);
    layout->addWidget(new QLabel("Beschikbare:", this), 1, 0);
    layout->addWidget(new QLabel("Geselecteerde kolommen:", this), 1, 2);
    listBox_ = new QListWidget(this);
    listBox_->setObjectName("ListBox");
    listBox_->setToolTip("Beschikbare velden (kolommen)");
    listBox1_ = new QListWidget(this);
    listBox1_->setObjectName("ListBox1");
    listBox1_->setToolTip("Geselcteerde velden (kolommen)");
    layout->addWidget(listBox_, 2, 0);
    layout->addWidget(listBox1_, 2, 2);
    auto* middle = new QVBoxLayout;
    auto button = [this](QBoxLayout* box, const char* caption, const char* hint, auto slot) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(caption);
        b->setToolTip(hint);
        connect(b, &QPushButton::clicked, this, [this, slot] {
            try {
                (this->*slot)();
            } catch (const std::exception& e) {
                ui::dialogs().MessageDlg(e.what(), ui::MsgDlgType::Error, ui::mbOK);
            }
        });
        box->addWidget(b);
    };
    button(middle, ">", "Veld toevoegen", &Tprintdbgridsform::Toevoegen);
    button(middle, "Alles >", "Alle velden toevoegen", &Tprintdbgridsform::AllesToevoegen);
    button(middle, "<", "Veld wissen", &Tprintdbgridsform::Wissen);
    button(middle, "< Alles", "Alle velden wissen", &Tprintdbgridsform::AllesWissen);
    button(middle, "Omhoog", "Geselecteerde veld omhoog", &Tprintdbgridsform::Omhoog);
    button(middle, "Omlaag", "Geselecteerde veld omlaag", &Tprintdbgridsform::Omlaag);
    middle->addStretch();
    layout->addLayout(middle, 2, 1);
    auto* bottom = new QHBoxLayout;
    button(bottom, "Voorbeeld", "", &Tprintdbgridsform::Voorbeeld);
    button(bottom, "Voorbeeld (ander lettertype)", "", &Tprintdbgridsform::VoorbeeldAnderFont);
    auto* help = new QPushButton("Help", this);
    help->setObjectName("Help");
    connect(help, &QPushButton::clicked, this, [] { ui::ShowHelpContext(kHelpContext); });
    bottom->addWidget(help);
    button(bottom, "Annuleren", "", &Tprintdbgridsform::Annuleren);
    layout->addLayout(bottom, 3, 0, 1, 3);
    connect(listBox_, &QListWidget::itemDoubleClicked, this, [this] { Toevoegen(); });
    connect(listBox1_, &QListWidget::itemDoubleClicked, this, [this] { Wissen(); });
}

Tprintdbgridsform* Tprintdbgridsform::PrintDBGrid(db::TDataSet& table, ui::TDBGrid& grid,
                                                  const std::string& title,
                                                  const std::string& subtitle) {
    if (current_.isNull()) {
        current_ = new Tprintdbgridsform;
    }
    current_->Show(table, grid, title, subtitle);
    return current_.data();
}

void Tprintdbgridsform::Show(db::TDataSet& table, ui::TDBGrid& grid, const std::string& title,
                             const std::string& subtitle) {
    table_ = &table;
    grid_ = &grid;
    title_ = title;
    subtitle_ = subtitle;
    setWindowTitle(QString::fromStdString("Print DBgrid: " + title));
    listBox_->clear();
    for (const PrintColumn& c : PrintColumns(grid)) {
        listBox_->addItem(QString::fromStdString(c.title));
    }
    show();
    raise();
}

std::vector<std::string> Tprintdbgridsform::Selected() const {
    std::vector<std::string> out;
    for (int i = 0; i < listBox1_->count(); ++i) {
        out.push_back(listBox1_->item(i)->text().toStdString());
    }
    return out;
}

void Tprintdbgridsform::Toevoegen() {
    const int row = listBox_->currentRow();
    if (row < 0 || listBox_->currentItem() == nullptr || !listBox_->currentItem()->isSelected()) {
        ui::dialogs().ShowMessage(kNiets);
        return;
    }
    listBox1_->addItem(listBox_->item(row)->text());
    if (row + 1 < listBox_->count()) {
        listBox_->setCurrentRow(row + 1);
    }
}

void Tprintdbgridsform::AllesToevoegen() {
    for (int i = 0; i < listBox_->count(); ++i) {
        listBox1_->addItem(listBox_->item(i)->text());
    }
}

void Tprintdbgridsform::Wissen() {
    const int row = listBox1_->currentRow();
    if (row < 0 || !listBox1_->currentItem()->isSelected()) {
        ui::dialogs().ShowMessage(kNiets);
        return;
    }
    delete listBox1_->takeItem(row);
    if (row < listBox1_->count()) {
        listBox1_->setCurrentRow(row);
    }
}

void Tprintdbgridsform::AllesWissen() {
    listBox1_->clear();
}

void Tprintdbgridsform::Move(int step) {
    const int row = listBox1_->currentRow();
    if (row < 0 || !listBox1_->currentItem()->isSelected()) {
        ui::dialogs().ShowMessage(kNiets);
        return;
    }
    const int to = row + step;
    if (to < 0 || to >= listBox1_->count()) {
        return;
    }
    QListWidgetItem* item = listBox1_->takeItem(row);
    listBox1_->insertItem(to, item);
    listBox1_->setCurrentRow(to);
}

void Tprintdbgridsform::Omhoog() {
    Move(-1);
}
void Tprintdbgridsform::Omlaag() {
    Move(1);
}

void Tprintdbgridsform::Voorbeeld() {
    if (grid_.isNull() || table_ == nullptr) {
        return;
    }
    Tprintdbgridsform2::PrintDBGrid(*table_, *grid_, title_, subtitle_, Selected());
}

void Tprintdbgridsform::VoorbeeldAnderFont() {
    if (grid_.isNull() || table_ == nullptr) {
        return;
    }
    Tprintdbgridsform2::PrintDBGridanderfont(*table_, *grid_, title_, subtitle_, Selected());
}

void Tprintdbgridsform::Annuleren() {
    listBox1_->clear();
    hide();
}

}  // namespace book
