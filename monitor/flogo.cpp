#include "monitor/flogo.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace monitor {

Tflogo::Tflogo(QWidget* parent) : ui::Form(parent) {
    setObjectName("flogo");
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    SetCaption("Opstartscherm");
    Label1 = new QLabel("ISDN Belverin", this);
    Label1->setObjectName("Label1");
    QFont big = Label1->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    Label1->setFont(big);
    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(Label1, 0, Qt::AlignHCenter);
    layout->addWidget(Label2, 0, Qt::AlignHCenter);
    resize(360, 110);
    CentreOnScreen();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursorSet_ = true;
}

Tflogo::~Tflogo() {
    if (cursorSet_) {
        QApplication::restoreOverrideCursor();
    }
}

void Tflogo::SetStep(const std::string& text) {
    Label2->setText(QString::fromStdString(text));
    if (isVisible()) {
        Label2->repaint();
    }
}

std::string StartDelayText(int seconds) {
    return "Startvertraging (" + std::to_string(seconds) + " seconden)";
}

void WaitWithEvents(int seconds) {
    if (seconds <= 0) {
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace monitor
