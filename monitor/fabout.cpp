#include "monitor/fabout.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "monitor/version.h"
#include "platform/os/shell_open.h"
#include "platform/ui/help.h"

namespace monitor {

namespace {

constexpr int kHelpInfo = 450;

QPointer<TfAbout>& OpenBox() {
    static QPointer<TfAbout> box;
    return box;
}

TfAbout::Opener& CurrentOpener() {
    static TfAbout::Opener opener = [](const std::string& target) { return os::ShellOpen(target); };
    return opener;
}

}  // namespace

TfAbout* TfAbout::Open() {
    auto& box = OpenBox();
    const bool made = !box;
    if (made) {
        box = new TfAbout;
        // Polished first: the style's margins set the size that is centred.
        box->ensurePolished();
        box->adjustSize();
        box->CentreOnScreen();
    }
    box->show();
    if (made) {
        box->CentreOnScreen();  // again with its frame, where the window system already told it
    }
    box->raise();
    return box;
}

TfAbout* TfAbout::Instance() {
    return OpenBox();
}

void TfAbout::SetOpener(Opener opener) {
    CurrentOpener() = opener ? std::move(opener)
                             : [](const std::string& target) { return os::ShellOpen(target); };
}

std::string TfAbout::VersieRegel() {
    return std::string("Versie: ") + kVersie + "  (" + kReleaseDatum + ")";
}

TfAbout::TfAbout() {
    SetCaption("Info");
    ui::Form::SetStayOnTop(true);
    setWindowFlag(Qt::Dialog, true);
    SetHelpContext(kHelpInfo);
    SetCloseAction(ui::CloseAction::Free);
    setMouseTracking(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("", this));
    Label1 = new QLabel(QString::fromStdString(VersieRegel()), this);
    layout->addWidget(Label1);
    auto* link = new QHBoxLayout;
    link->addWidget(new QLabel("Email, Updates, FAQ en Bugs lijst:  ", this));
    Label2 = new QLabel(kWebAdres, this);
    Label2->setToolTip("Klik om Uw browser te openen.");
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->setMouseTracking(true);
    Label2->installEventFilter(this);
    link->addWidget(Label2);
    link->addStretch(1);
    layout->addLayout(link);
    layout->addWidget(new QLabel("Met dank aan:", this));
    for (const char* line : {"Iedereen die de monitor op zijn eigen lijn heeft getest,",
                             "en iedereen die een fout meldde of een idee aandroeg."}) {
        layout->addWidget(new QLabel(line, this));
    }
    auto* buttons = new QHBoxLayout;
    bMeerInfo = new QPushButton("Meer &Info", this);
    bClose = new QPushButton("&Close", this);
    buttons->addStretch(1);
    buttons->addWidget(bMeerInfo);
    buttons->addWidget(bClose);
    layout->addLayout(buttons);
    connect(bMeerInfo, &QPushButton::clicked, this, [this] { bMeerInfoClick(); });
    connect(bClose, &QPushButton::clicked, this, [this] { close(); });
    SetLinkColour(false);
    adjustSize();
}

void TfAbout::SetLinkColour(bool hot) {
    QPalette p = Label2->palette();
    p.setColor(QPalette::WindowText, hot ? QColor(Qt::red) : QColor(Qt::black));
    Label2->setPalette(p);
}

bool TfAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label2) {
        if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
            SetLinkColour(true);
            // Taken here: a label passes its mouse moves on to the form, which would make the
            // link black again at once.
            return event->type() == QEvent::MouseMove;
        } else if (event->type() == QEvent::Leave) {
            // Off the link the mouse is over the box (its labels take no mouse moves).
            SetLinkColour(false);
        } else if (event->type() == QEvent::MouseButtonRelease) {
            Label2Click();
            return true;
        }
    }
    return ui::Form::eventFilter(watched, event);
}

void TfAbout::mouseMoveEvent(QMouseEvent* event) {
    SetLinkColour(false);
    ui::Form::mouseMoveEvent(event);
}

void TfAbout::Label2Click() {
    CurrentOpener()(kWebAdres);
}

void TfAbout::bMeerInfoClick() {
    ui::ShowHelpContext(kHelpInfo);
}

}  // namespace monitor
