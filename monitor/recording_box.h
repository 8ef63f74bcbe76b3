#pragma once

#include <QPointer>
#include <functional>
#include <string>

class QDialog;
class QTimer;
class QWidget;

namespace monitor {

// The recorder has no window of its own: this modal box shows that it runs ("Opname loopt")
// and stops it. "Stoppen", or closing the box any other way, asks the recorder to end; one
// that has not ended three seconds later is killed. Once it has ended the box closes and
// `done` runs.
class RecordingBox {
  public:
    struct Steps {
        std::function<void()> stop;
        std::function<bool()> ended;
        std::function<void()> kill;
        std::function<void()> done;
    };

    RecordingBox(QWidget& owner, Steps steps);

    // Shows the box over `owner` for the recording of `name`.
    void Show(const std::string& name);
    QDialog* Box() const { return box_; }
    // One look at the recorder, as the box's timer takes them.
    void Follow();

  private:
    void Stop();

    QWidget& owner_;
    Steps steps_;
    QPointer<QDialog> box_;
    QTimer* timer_ = nullptr;
    int stopTicks_ = -1;
};

}  // namespace monitor
