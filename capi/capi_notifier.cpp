#include "capi/capi_notifier.h"

#include <QCoreApplication>

namespace capi {

TCapiNotifier::TCapiNotifier(std::function<void()> deliver) : deliver_(std::move(deliver)) {}

QEvent::Type TCapiNotifier::PostType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void TCapiNotifier::Post() {
    QCoreApplication::postEvent(this, new QEvent(PostType()));
}

bool TCapiNotifier::event(QEvent* e) {
    if (e->type() != PostType()) {
        return QObject::event(e);
    }
    // A copy: the delivery may delete this object.
    const auto deliver = deliver_;
    if (deliver) {
        deliver();
    }
    return true;
}

}  // namespace capi
