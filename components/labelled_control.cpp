#include "components/labelled_control.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

#include "components/form_reading.h"

namespace {
const QString kSuffix = QStringLiteral("SubLabel");
}

class LabelledControl::Watcher : public QObject {
  public:
    explicit Watcher(LabelledControl& control) : control_(control) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == control_.self_) {
            control_.ControlEvent(event);
        }
        return false;
    }

  private:
    LabelledControl& control_;
};

TSubLabel* FindSubLabel(const QWidget* owner, const QString& name) {
    if (owner == nullptr || name.isEmpty()) {
        return nullptr;
    }
    return owner->findChild<TSubLabel*>(name);
}

LabelledControl::LabelledControl(QWidget* self, QWidget* owner, bool windowed)
    : self_(self),
      owner_(owner),
      watcher_(std::make_unique<Watcher>(*this)),
      lastPos_(self->pos()),
      windowed_(windowed) {
    self_->installEventFilter(watcher_.get());
    QObject::connect(self_, &QObject::objectNameChanged, watcher_.get(),
                     [this](const QString& name) { Renamed(name); });
    if (FormReading* reading = FormReading::Of(owner)) {
        reading->Add(self_);
        return;
    }
    label_ = new TSubLabel(owner, self_, windowed_, TSubLabel::ForControl{});
}

LabelledControl::~LabelledControl() {
    self_->removeEventFilter(watcher_.get());
    FreeLabel();
}

void LabelledControl::FreeLabel() {
    TSubLabel* label = label_;
    label_ = nullptr;
    if (label != nullptr) {
        label->Detach();
        delete label;
    }
}

void LabelledControl::SetSubLabel(TSubLabel* label) {
    if (label == label_) {
        return;
    }
    FreeLabel();
    label_ = label;
    lastPos_ = self_->pos();
}

std::optional<bool> LabelledControl::LabelDeletedToWrite() const {
    if (label_ == nullptr) {
        return true;
    }
    return std::nullopt;
}

bool LabelledControl::Reading() const {
    return FormReading::Of(owner_) != nullptr;
}

void LabelledControl::ControlEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Show:
            ControlMoved();
            break;
        case QEvent::ParentChange:
            if (label_ != nullptr) {
                label_->FollowParent();
            }
            break;
        case QEvent::EnabledChange:
            if (label_ != nullptr) {
                label_->SyncEnabled();
            }
            break;
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            if (label_ != nullptr) {
                label_->SyncVisible();
            }
            break;
        default:
            break;
    }
}

void LabelledControl::ControlMoved() {
    const QPoint now = self_->pos();
    const QPoint delta = now - lastPos_;
    lastPos_ = now;
    if (delta.isNull() || label_ == nullptr || Reading()) {
        return;
    }
    label_->MoveBy(delta.x(), delta.y());
}

void LabelledControl::Renamed(const QString& name) {
    const QString wanted = name + kSuffix;
    TSubLabel* found = FindSubLabel(owner_, wanted);
    // A label bound to another control stays with it; only a free one is adopted.
    if (found != nullptr && found != label_ && found->Control() == nullptr) {
        found->SetControl(self_);
        return;
    }
    if (label_ != nullptr && !name.isEmpty()) {
        label_->setObjectName(wanted);
    }
}

void LabelledControl::Loaded() {
    lastPos_ = self_->pos();
    if (labelDeleted_) {
        FreeLabel();
        return;
    }
    TSubLabel* found = FindSubLabel(owner_, self_->objectName() + kSuffix);
    if (found != nullptr && found->Control() == nullptr) {
        found->SetControl(self_);
    } else if (found != nullptr && found->Control() == self_) {
        label_ = found;
    }
    if (label_ == nullptr) {
        label_ = new TSubLabel(owner_, self_, windowed_, TSubLabel::ForControl{});
        if (!self_->objectName().isEmpty()) {
            label_->setObjectName(self_->objectName() + kSuffix);
        }
    }
}
