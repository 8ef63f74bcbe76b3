#include "monitor/book/f_zoeken.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <exception>
#include <optional>
#include <utility>

#include "platform/ui/dialogs.h"
#include "platform/ui/hourglass_cursor.h"

namespace book {

ZoekDoel GridDoel(db::TDataSet& data, QTableView& grid) {
    QPointer<QTableView> view(&grid);
    return {&data, [view] {
                if (view) {
                    view->viewport()->update();
                }
            }};
}

class Tf_zoeken::Port : public ZoekPort {
  public:
    void Message(const std::string& text) override { ui::dialogs().ShowMessage(text); }
    void ErrorBox(const std::string& text) override {
        ui::dialogs().MessageDlg(text, ui::MsgDlgType::Error, ui::mbOK);
    }
    void Busy(bool on) override {
        if (on) {
            cursor_.emplace();
        } else {
            cursor_.reset();
        }
    }

  private:
    std::optional<ui::HourglassCursor> cursor_;
};

QPointer<Tf_zoeken> Tf_zoeken::current_;

Tf_zoeken* Tf_zoeken::Open(ZoekDoel doel) {
    zoeken().SetDoel(std::move(doel));
    if (!current_) {
        current_ = new Tf_zoeken;
    }
    current_->show();
    current_->raise();
    current_->activateWindow();
    return current_;
}

Tf_zoeken::Tf_zoeken(QWidget* parent) : ui::Form(parent) {
    setObjectName("f_zoeken");
    SetCaption("Zoeken");
    SetStayOnTop(true);
    SetHelpContext(500);
    SetCloseAction(ui::CloseAction::Free);

    auto* layout = new QVBoxLayout(this);
    e_1_ = new QLineEdit(this);
    e_1_->setObjectName("e_1");
    e_1_->setMinimumWidth(260);
    connect(e_1_, &QLineEdit::returnPressed, this, [this] { ZoekEersteClick(); });
    layout->addWidget(e_1_);
    gedeelte_ = new QCheckBox("Op tekst gedeelte zoeken", this);
    gedeelte_->setChecked(true);
    layout->addWidget(gedeelte_);

    auto* buttons = new QHBoxLayout;
    zoekEerste_ = new QPushButton("&Zoek eerste", this);
    connect(zoekEerste_, &QPushButton::clicked, this, [this] { ZoekEersteClick(); });
    buttons->addWidget(zoekEerste_);
    volgende_ = new QPushButton("&Volgende", this);
    connect(volgende_, &QPushButton::clicked, this, [this] { VolgendeClick(); });
    buttons->addWidget(volgende_);
    auto* sluiten = new QPushButton("&Sluiten", this);
    connect(sluiten, &QPushButton::clicked, this, [this] { close(); });
    buttons->addWidget(sluiten);
    layout->addLayout(buttons);
}

Tf_zoeken::~Tf_zoeken() = default;

void Tf_zoeken::showEvent(QShowEvent* event) {
    e_1_->setText(QString::fromStdString(zoeken().LaatsteTekst()));
    ui::Form::showEvent(event);
}

void Tf_zoeken::ZoekEersteClick() {
    Search(true);
}

void Tf_zoeken::VolgendeClick() {
    Search(false);
}

void Tf_zoeken::Search(bool fromFirst) {
    try {
        Port port;
        zoeken().Zoek(e_1_->text().toStdString(), gedeelte_->isChecked(), fromFirst, port);
    } catch (const std::exception& error) {
        ui::ShowException(error);
    }
}

}  // namespace book
