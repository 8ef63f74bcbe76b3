#pragma once

#include <QTimer>
#include <functional>

namespace capi {

// The one-second tick of one call's ring countdown; tests drive their own.
class TRingTimer {
  public:
    virtual ~TRingTimer() = default;
    virtual void Start() = 0;  // ticks every 1000 ms until stopped
    virtual void Stop() = 0;
    virtual bool Active() const = 0;

    std::function<void()> OnTick;
};

class TQtRingTimer : public TRingTimer {
  public:
    TQtRingTimer();
    void Start() override;
    void Stop() override;
    bool Active() const override;

  private:
    QTimer timer_;
};

}  // namespace capi
