#include "monitor/book/per_msn_form.h"

#include <QEvent>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <exception>

#include "platform/db/data_source.h"
#include "platform/ui/dialogs.h"

namespace book {

PerMsnForm::PerMsnForm(db::TDataSource* source, std::string field, const MsnLabels& design,
                       QWidget* parent)
    : ui::Form(parent), source_(source), field_(std::move(field)) {
    SetStayOnTop(true);
    SetCloseAction(ui::CloseAction::Free);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 8, 10, 8);
    Note1 = new QLabel(this);
    column->addWidget(Note1);
    for (int i = 0; i < kMsnLabels; ++i) {
        labels_[i] = new QLabel(QString::fromStdString(design[i]), this);
        labels_[i]->setCursor(Qt::PointingHandCursor);
        labels_[i]->installEventFilter(this);
        column->addWidget(labels_[i]);
    }
    Note2 = new QLabel(this);
    column->addWidget(Note2);
    BitBtn1 = new QPushButton("OK", this);
    BitBtn1->setDefault(true);
    column->addWidget(BitBtn1, 0, Qt::AlignHCenter);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

MsnLabels PerMsnForm::Labels() const {
    MsnLabels texts;
    for (int i = 0; i < kMsnLabels; ++i) {
        texts[i] = labels_[i]->text().toStdString();
    }
    return texts;
}

void PerMsnForm::FormActivate() {
    if (read_) {
        return;
    }
    read_ = true;
    try {
        held_.Take(source_ ? source_->DataSet() : nullptr);
        held_.ReadShown(field_);
    } catch (const std::exception& error) {
        ui::ShowException(error);
        return;
    }
    const MsnLabels texts = Shown(held_.Shown(), Labels());
    for (int i = 0; i < kMsnLabels; ++i) {
        labels_[i]->setText(QString::fromStdString(texts[i]));
    }
}

void PerMsnForm::l1Click(int n) {
    Label(n)->setText(QString::fromStdString(Clicked(n, LabelText(n))));
}

void PerMsnForm::BitBtn1Click() {
    try {
        if (held_.Write(field_, Value(Labels())) == HeldRecord::Result::Gone) {
            ui::dialogs().ShowMessage("Het record is niet meer gevonden; er is niets opgeslagen.");
        }
    } catch (const std::exception& error) {
        ui::ShowException(error);
    }
    close();
}

bool PerMsnForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return ui::Form::event(event);
}

void PerMsnForm::showEvent(QShowEvent* event) {
    // Offscreen and on some desktops a shown window is never activated.
    FormActivate();
    ui::Form::showEvent(event);
}

bool PerMsnForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < kMsnLabels; ++i) {
            if (watched == labels_[i]) {
                l1Click(i + 1);
                return true;
            }
        }
    }
    return ui::Form::eventFilter(watched, event);
}

}  // namespace book
