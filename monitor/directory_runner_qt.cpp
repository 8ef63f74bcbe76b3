#include "monitor/directory_runner_qt.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>
#include <utility>

#include "platform/os/watched_process.h"

namespace monitor {

namespace {

class QtDirectoryProcess final : public DirectoryProcessPort {
  public:
    bool Start(const std::vector<std::string>& argv, const std::string& folder) override {
        os::WatchedStart started = os::StartWatched(argv, folder);
        if (!started.Started()) {
            return false;
        }
        process_ = std::move(started.process);
        return true;
    }

    bool Watch(std::function<void()> ended) override {
        DropNotifier();
        if (process_.Descriptor() < 0) {
            return false;
        }
        auto* notifier =
            new QSocketNotifier(process_.Descriptor(), QSocketNotifier::Read, &notifiers_);
        if (!notifier->isValid()) {
            delete notifier;
            return false;
        }
        notifier_ = notifier;
        ended_ = std::move(ended);
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this, notifier] {
            if (notifier != notifier_ || !process_.TryCollect()) {
                return;
            }
            DropNotifier();
            // The callback may start the next program, which replaces ended_.
            auto ended = std::move(ended_);
            ended_ = nullptr;
            if (ended) {
                ended();
            }
        });
        return true;
    }

    void Kill() override {
        DropNotifier();
        ended_ = nullptr;
        process_.Kill();
    }

  private:
    // The notifier may be the sender of the slot that is running, so it goes later.
    void DropNotifier() {
        if (notifier_ != nullptr) {
            notifier_->setEnabled(false);
            notifier_->deleteLater();
            notifier_ = nullptr;
        }
    }

    os::WatchedProcess process_;
    QObject notifiers_;  // parent of notifiers still waiting to be deleted; goes before process_
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> ended_;
};

class QtDirectoryTimer final : public DirectoryTimerPort {
  public:
    QtDirectoryTimer() {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto fired = std::move(fired_);
            fired_ = nullptr;
            if (fired) {
                fired();
            }
        });
    }

    void Start(int milliseconds, std::function<void()> fired) override {
        fired_ = std::move(fired);
        timer_.start(milliseconds);
    }

    void Stop() override {
        timer_.stop();
        fired_ = nullptr;
    }

  private:
    QTimer timer_;
    std::function<void()> fired_;
};

// Owned by the application object, so the runner ends before the event loop's machinery.
class RunnerHolder final : public QObject {
  public:
    explicit RunnerHolder(QObject* parent) : QObject(parent), runner_(process_, timer_) {}
    DirectoryRunner& Runner() { return runner_; }

  private:
    QtDirectoryProcess process_;
    QtDirectoryTimer timer_;
    DirectoryRunner runner_;
};

}  // namespace

DirectoryRunner& SharedDirectoryRunner() {
    static QPointer<RunnerHolder> holder;
    if (holder.isNull()) {
        holder = new RunnerHolder(QCoreApplication::instance());
    }
    return holder->Runner();
}

}  // namespace monitor
