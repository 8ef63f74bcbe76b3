#include "capi/capi_notifier.h"

namespace capi {

TCapiNotifier::TCapiNotifier(std::function<void()> deliver) : deliver_(std::move(deliver)) {}

void TCapiNotifier::Post() {
    QMetaObject::invokeMethod(this, "Deliver", Qt::QueuedConnection);
}

void TCapiNotifier::Deliver() {
    // A copy: the delivery may delete this object.
    const auto deliver = deliver_;
    if (deliver) {
        deliver();
    }
}

}  // namespace capi
