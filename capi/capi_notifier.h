#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

namespace capi {

// The engine's object in the main thread: the receive thread posts to it, and each delivered
// post lets the engine handle what waits. Posting is safe from any thread while the object
// lives; the engine stops the posts before it deletes the object.
class TCapiNotifier : public QObject {
  public:
    explicit TCapiNotifier(std::function<void()> deliver);

    void Post();

  protected:
    bool event(QEvent* e) override;

  private:
    static QEvent::Type PostType();

    std::function<void()> deliver_;
};

}  // namespace capi
