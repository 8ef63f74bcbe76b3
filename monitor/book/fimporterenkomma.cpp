#include "monitor/book/fimporterenkomma.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "monitor/book/csv_line.h"
#include "monitor/book/csv_lines_model.h"
#include "monitor/book/csv_reader.h"
#include "monitor/book/klapper_import.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/hourglass_cursor.h"

namespace book {

namespace {

constexpr const char* kLeeg = "Leeg";
constexpr const char* kSeparatorRefused =
    "Het scheidingsteken moet één teken zijn, geen aanhalingsteken.";

// One ASCII character that can stand between fields: not a quote, not a line end.
bool UsableSeparator(const std::string& text) {
    if (text.size() != 1) {
        return false;
    }
    const auto c = static_cast<unsigned char>(text[0]);
    return c != 0 && c < 0x80 && c != '"' && c != '\r' && c != '\n';
}

}  // namespace

QPointer<TFimporterenkomma> TFimporterenkomma::current_;

// The run's way to the desktop. The counter is painted at once: the run does not return
// to the event loop until it ends.
class TFimporterenkomma::Port : public ImportPort {
  public:
    explicit Port(TFimporterenkomma& form) : form_(form) {}
    void Message(const std::string& text) override { ui::dialogs().ShowMessage(text); }
    void ErrorBox(const std::string& text) override {
        ui::dialogs().MessageDlg(text, ui::MsgDlgType::Error, ui::mbOK);
    }
    void Progress(int line) override {
        form_.lteller_->setText(QString::number(line));
        form_.lteller_->repaint();
    }
    void Busy(bool on) override {
        if (on) {
            cursor_.emplace();
        } else {
            cursor_.reset();
        }
    }

  private:
    TFimporterenkomma& form_;
    std::optional<ui::HourglassCursor> cursor_;
};

TFimporterenkomma* TFimporterenkomma::Open(KlapperCore& klapper) {
    if (!current_) {
        current_ = new TFimporterenkomma(klapper);
    }
    current_->show();
    current_->raise();
    current_->activateWindow();
    return current_;
}

TFimporterenkomma::TFimporterenkomma(KlapperCore& klapper, QWidget* parent)
    : ui::Form(parent), klapper_(klapper) {
    setObjectName("Fimporterenkomma");
    SetCaption("Importeren Comma Separated Values (CSV) bestand");
    SetHelpContext(590);
    SetCloseAction(ui::CloseAction::Free);
    resize(760, 560);

    auto* layout = new QHBoxLayout(this);
    auto* left = new QWidget(this);
    BuildLeft(*left);
    layout->addWidget(left, 3);
    auto* right = new QWidget(this);
    BuildTargets(*right);
    layout->addWidget(right, 2);
}

TFimporterenkomma::~TFimporterenkomma() = default;

void TFimporterenkomma::BuildLeft(QWidget& panel) {
    auto* column = new QVBoxLayout(&panel);
    column->setContentsMargins(0, 0, 0, 0);

    column->addWidget(new QLabel("Stap 1: Selecteer een bestand", &panel));
    auto* fileRow = new QHBoxLayout;
    auto* selecteer = new QPushButton("Selecteer een bestand", &panel);
    selecteer->setObjectName("bselecteer");
    connect(selecteer, &QPushButton::clicked, this, [this] { SelecteerBestandClick(); });
    fileRow->addWidget(selecteer);
    fileRow->addStretch(1);
    fileRow->addWidget(new QLabel("Scheidingsteken", &panel));
    separatorButton_ = new QPushButton(QString(QChar(separator_)), &panel);
    separatorButton_->setObjectName("bscheidingsteken");
    separatorButton_->setFixedWidth(40);
    connect(separatorButton_, &QPushButton::clicked, this, [this] { ScheidingstekenClick(); });
    fileRow->addWidget(separatorButton_);
    column->addLayout(fileRow);

    column->addWidget(new QLabel(
        "Stap 2: Dubbelklik hierboven op een regel waar de meeste velden zijn ingevuld", &panel));
    lines_ = new CsvLinesModel(this);
    listbox1_ = new QListView(&panel);
    listbox1_->setObjectName("listbox1");
    listbox1_->setModel(lines_);
    listbox1_->setUniformItemSizes(true);
    listbox1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(listbox1_, &QListView::doubleClicked, this, [this] { Listbox1DblClick(); });
    column->addWidget(listbox1_, 3);
    auto* counters = new QHBoxLayout;
    counters->addWidget(new QLabel("Regels:", &panel));
    ltellertotaal_ = new QLabel(&panel);
    ltellertotaal_->setObjectName("ltellertotaal");
    counters->addWidget(ltellertotaal_);
    counters->addSpacing(20);
    counters->addWidget(new QLabel("Bezig met:", &panel));
    lteller_ = new QLabel(&panel);
    lteller_->setObjectName("lteller");
    counters->addWidget(lteller_);
    counters->addStretch(1);
    column->addLayout(counters);

    column->addWidget(new QLabel(
        "Stap 3: Selecteer links een veld en druk rechts op de knop waar het moet komen in de "
        "klapper",
        &panel));
    column->addWidget(new QLabel("Alle beschikbare velden", &panel));
    listBox2_ = new QListWidget(&panel);
    listBox2_->setObjectName("ListBox2");
    column->addWidget(listBox2_, 2);
}

void TFimporterenkomma::BuildTargets(QWidget& panel) {
    auto* column = new QVBoxLayout(&panel);
    column->setContentsMargins(0, 0, 0, 0);
    auto* grid = new QGridLayout;
    for (int t = 0; t < kImportTargets; ++t) {
        const ImportTarget& target = kImportTarget[static_cast<std::size_t>(t)];
        auto* label = new QLabel(target.label, &panel);
        auto* button = new QPushButton(kLeeg, &panel);
        button->setObjectName(target.button);
        button->setToolTip(kLeeg);
        // A long field text shows cut; the hint holds it whole.
        button->setFixedWidth(150);
        connect(button, &QPushButton::clicked, this, [this, t] { TargetClick(t); });
        targets_[static_cast<std::size_t>(t)] = button;
        // Two columns of label-over-button pairs.
        const int row = (t % 9) * 2;
        const int col = t / 9;
        grid->addWidget(label, row, col);
        grid->addWidget(button, row + 1, col);
    }
    column->addLayout(grid);
    column->addStretch(1);
    column->addWidget(new QLabel("Stap 4: druk op de start knop.", &panel));
    auto* buttons = new QHBoxLayout;
    start_ = new QPushButton("Start", &panel);
    start_->setObjectName("bstart");
    start_->setEnabled(false);
    connect(start_, &QPushButton::clicked, this, [this] { StartClick(); });
    buttons->addWidget(start_);
    auto* annuleren = new QPushButton("Annuleren", &panel);
    annuleren->setObjectName("bannuleren");
    connect(annuleren, &QPushButton::clicked, this, [this] { close(); });
    buttons->addWidget(annuleren);
    column->addLayout(buttons);
}

template <typename F>
void TFimporterenkomma::Guarded(F command) {
    try {
        command();
    } catch (const std::exception& error) {
        ui::ShowException(error);
    }
}

void TFimporterenkomma::SelecteerBestandClick() {
    Guarded([&] {
        ui::FileDialogOptions options;
        options.defaultExt = "csv";
        options.filter = "Comma Separated Values (CSV)|*.csv|Alles  (*.*)|*.*|Tekst (txt)|*.txt";
        std::string path;
        if (ui::dialogs().OpenFileName(options, path)) {
            LoadFile(path);
        }
    });
}

void TFimporterenkomma::LoadFile(const std::string& path) {
    Guarded([&] {
        lines_->SetLines({});
        listBox2_->clear();
        CsvFile file;
        {
            ui::HourglassCursor busy;
            file = ReadCsvFile(path, separator_);
            std::vector<std::string> rewritten;
            rewritten.reserve(file.records.size());
            for (const std::string& record : file.records) {
                rewritten.push_back(CsvLine::Rewrite(record, separator_));
            }
            linesSeparator_ = separator_;
            lines_->SetLines(std::move(rewritten));
        }
        ltellertotaal_->setText(QString::number(lines_->rowCount() - 1));
        lteller_->clear();
        if (!file.error.empty()) {
            ui::dialogs().ShowMessage("Fout bij inlezen bestand: " + file.error);
        }
    });
}

void TFimporterenkomma::ScheidingstekenClick() {
    Guarded([&] {
        std::string value(1, separator_);
        if (!ui::dialogs().InputQuery("Scheidingsteken", "Geef ander (normaal = , )", value)) {
            return;
        }
        if (!UsableSeparator(value)) {
            ui::dialogs().ShowMessage(kSeparatorRefused);
            return;
        }
        separator_ = value[0];
        separatorButton_->setText(QString(QChar(separator_)));
    });
}

void TFimporterenkomma::ResetTargets() {
    for (QPushButton* button : targets_) {
        button->setText(kLeeg);
        button->setToolTip(kLeeg);
    }
    mapping_.Clear();
    start_->setEnabled(false);
    listBox2_->clear();
}

void TFimporterenkomma::Listbox1DblClick() {
    Guarded([&] {
        ResetTargets();
        const QModelIndex index = listbox1_->currentIndex();
        if (!index.isValid() || !listbox1_->selectionModel()->isSelected(index)) {
            ui::dialogs().ShowMessage("U moet eerst een regel selecteren");
            return;
        }
        listBox2_->addItem(kLeeg);
        const auto fields =
            CsvLine::Split(lines_->Lines()[static_cast<std::size_t>(index.row())], linesSeparator_);
        for (const std::string& field : fields) {
            QString text = QString::fromStdString(field);
            text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
            listBox2_->addItem(text);
        }
    });
}

void TFimporterenkomma::TargetClick(int target) {
    Guarded([&] {
        const int row = listBox2_->currentRow();
        if (row < 0 || listBox2_->selectedItems().isEmpty()) {
            ui::dialogs().ShowMessage("U moet eerst een veld selecteren");
            return;
        }
        mapping_.Set(target, row);
        QPushButton& button = TargetButton(target);
        button.setText(listBox2_->item(row)->text());
        button.setToolTip(listBox2_->item(row)->text());
        start_->setEnabled(true);
    });
}

void TFimporterenkomma::StartClick() {
    Guarded([&] {
        Port port(*this);
        KlapperImport run(klapper_, port);
        run.Run(lines_->Lines(), linesSeparator_, mapping_);
    });
}

}  // namespace book
