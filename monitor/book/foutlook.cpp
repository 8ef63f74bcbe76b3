#include "monitor/book/foutlook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "monitor/book/outlook_link.h"
#include "platform/ui/dialogs.h"

namespace monitor {
namespace {

// Work per slice: short enough that a 20 ms timer of the line is never far late.
constexpr qint64 kSliceMs = 8;

}  // namespace

Tfoutlook::Tfoutlook(QWidget* parent) : ui::Form(parent) {
    SetCaption("Outlook Tools");
    SetHelpContext(560);
    resize(297, 256);

    BStreepjeuittelefoonnr = new QPushButton("Streepje uit telnr. verwijderen", this);
    bwislog = new QPushButton("Log wissen", this);
    Label1 = new QLabel("--", this);
    ListBox1 = new QListWidget(this);

    auto* knoppen = new QHBoxLayout;
    knoppen->addWidget(BStreepjeuittelefoonnr);
    knoppen->addWidget(bwislog);
    auto* kolom = new QVBoxLayout(this);
    kolom->setContentsMargins(6, 6, 6, 6);
    kolom->addLayout(knoppen);
    kolom->addWidget(Label1);
    kolom->addWidget(ListBox1, 1);

    slicer_ = new QTimer(this);
    slicer_->setSingleShot(true);
    slicer_->setInterval(0);
    connect(slicer_, &QTimer::timeout, this, [this] { Slice(); });
    connect(BStreepjeuittelefoonnr, &QPushButton::clicked, this,
            [this] { BStreepjeuittelefoonnrClick(); });
    connect(bwislog, &QPushButton::clicked, this, [this] { bwislogClick(); });

    outlookkoppeling.bezig = false;
}

Tfoutlook::~Tfoutlook() {
    if (tool_) {
        outlookkoppeling.bezig = false;
    }
    outlookafkoppelen();
}

bool Tfoutlook::Bezig() const {
    return outlookkoppeling.bezig;
}

void Tfoutlook::bwislogClick() {
    if (Bezig()) {
        ui::dialogs().ShowMessage("Outlook Error: Outlook is bezig");
        return;
    }
    Start(OutlookTool::Soort::LogWissen);
}

void Tfoutlook::BStreepjeuittelefoonnrClick() {
    if (ui::dialogs().MessageDlg(
            "Dit kan behoorlijk lang duren. (2 sec. per item)\nNeem er de tijd voor want het kan "
            "niet geannuleerd worden.",
            ui::MsgDlgType::Warning, ui::mbOKCancel) == ui::mrCancel) {
        return;
    }
    if (Bezig()) {
        ui::dialogs().ShowMessage("Outlook Error: Outlook is bezig");
        return;
    }
    Start(OutlookTool::Soort::StreepjeWissen);
}

void Tfoutlook::Start(OutlookTool::Soort soort) {
    outlookkoppeling.bezig = true;
    soort_ = soort;
    zandloper_.emplace();
    ListBox1->clear();
    try {
        tool_ = std::make_unique<OutlookTool>(soort);
    } catch (const std::exception&) {
        Einde(false);
        return;
    }
    slicer_->start();
}

void Tfoutlook::Slice() {
    QElapsedTimer klok;
    klok.start();
    try {
        // A link dropped meanwhile (the settings dialog) ends the run as a failure.
        if (!outlookisgekoppeld()) {
            Einde(false);
            return;
        }
        const auto regel = [this](const std::string& tekst) { Regel(tekst); };
        while (!tool_->Done() && klok.elapsed() < kSliceMs) {
            tool_->Step(1, regel);
            Label1->setText(QString("%1 (%2)").arg(tool_->Position()).arg(tool_->Count()));
        }
    } catch (const std::exception&) {
        Einde(false);
        return;
    }
    if (tool_->Done()) {
        Einde(true);
    } else {
        slicer_->start();
    }
}

void Tfoutlook::Einde(bool gelukt) {
    tool_.reset();
    zandloper_.reset();
    // The run is over: searches are answered again before a box waits for the user.
    outlookkoppeling.bezig = false;
    if (!gelukt) {
        if (soort_ == OutlookTool::Soort::StreepjeWissen) {
            ui::dialogs().ShowMessage("Fout");
            ui::dialogs().ShowMessage("Foutje: Streepje verwijderen");
        } else {
            ui::dialogs().ShowMessage("Foutje: Log wissen");
        }
    }
    emit ToolKlaar(gelukt);
}

void Tfoutlook::Regel(const std::string& tekst) {
    ListBox1->insertItem(0, QString::fromStdString(tekst));
}

}  // namespace monitor
