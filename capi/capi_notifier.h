#pragma once

#include <QObject>
#include <functional>

namespace capi {

// The engine's object in the main thread: the receive thread queues a call to it, and each
// delivered call lets the engine handle what waits. Queuing is safe from any thread while the
// object lives; the engine stops queuing before it deletes the object.
class TCapiNotifier : public QObject {
    Q_OBJECT

  public:
    explicit TCapiNotifier(std::function<void()> deliver);

    // From any thread.
    void Post();

    Q_INVOKABLE void Deliver();

  private:
    std::function<void()> deliver_;
};

}  // namespace capi
