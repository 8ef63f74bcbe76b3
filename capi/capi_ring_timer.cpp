#include "capi/capi_ring_timer.h"

namespace capi {

TQtRingTimer::TQtRingTimer() {
    // A coarse timer may fire a little early at every tick; over a countdown of many seconds
    // that adds up to a call left to the other terminals noticeably before its time.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1000);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        const auto tick = OnTick;
        if (tick) {
            tick();
        }
    });
}

void TQtRingTimer::Start() {
    timer_.start();
}

void TQtRingTimer::Stop() {
    timer_.stop();
}

bool TQtRingTimer::Active() const {
    return timer_.isActive();
}

}  // namespace capi
