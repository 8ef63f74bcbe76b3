#include "monitor/recording_box.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace monitor {
namespace {

constexpr int kTick = 50;                 // ms between looks at the recorder
constexpr int kStopTicks = 3000 / kTick;  // then it is killed

}  // namespace

RecordingBox::RecordingBox(QWidget& owner, Steps steps) : owner_(owner), steps_(std::move(steps)) {}

void RecordingBox::Show(const std::string& name) {
    auto* box = new QDialog(&owner_);
    box->setWindowTitle("Opnemen");
    box->setAttribute(Qt::WA_DeleteOnClose);
    auto* kol = new QVBoxLayout(box);
    kol->addWidget(new QLabel(QString::fromStdString("Opname loopt: " + name), box));
    auto* stoppen = new QPushButton("Stoppen", box);
    stoppen->setObjectName("Stoppen");
    kol->addWidget(stoppen);
    QObject::connect(stoppen, &QPushButton::clicked, &owner_, [this, stoppen] {
        stoppen->setEnabled(false);
        Stop();
    });
    QObject::connect(box, &QDialog::rejected, &owner_, [this] {
        if (stopTicks_ < 0) {
            Stop();
        }
    });
    box_ = box;
    stopTicks_ = -1;
    if (!timer_) {
        timer_ = new QTimer(&owner_);
        timer_->setInterval(kTick);
        QObject::connect(timer_, &QTimer::timeout, &owner_, [this] { Follow(); });
    }
    timer_->start();
    box->setModal(true);
    box->show();
}

void RecordingBox::Stop() {
    steps_.stop();
    stopTicks_ = kStopTicks;
}

void RecordingBox::Follow() {
    if (!steps_.ended()) {
        if (stopTicks_ > 0 && --stopTicks_ == 0) {
            steps_.kill();
        }
        return;
    }
    if (timer_) {
        timer_->stop();
    }
    stopTicks_ = -1;
    if (box_) {
        box_->disconnect(&owner_);
        box_->close();
        box_ = nullptr;
    }
    steps_.done();
}

}  // namespace monitor
