#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/os/instance_lock.h"

class QLocalServer;
class QLocalSocket;
class QWidget;

// Lets one copy of a program run per application title, and, when a program folder is given, one
// per program folder whatever its session or runtime folder (the setup asks that folder's lock
// before it updates it). The claims are taken when the guard is made; the first copy then listens
// on a user-only local socket beside its title lock, through which a second copy asks it to come
// forward. Main thread only.
class TSingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit TSingleInstance(
        std::string title, QObject* parent = nullptr,
        const os::InstanceFolders& folders = os::InstanceFolders::FromEnvironment(),
        const std::string& programFolder = {});
    ~TSingleInstance() override;

    // Shown by a second copy; empty shows nothing.
    std::string StopMsg;
    // A second copy brings the first forward.
    bool Activate = true;

    bool IsFirst() const { return Lock().IsFirst(); }
    // The claim that decided: the title's, or the folder's when the title was this copy's.
    const os::InstanceLock& Lock() const;
    // Whether the first copy's socket is listening.
    bool Listening() const;

    // Acts on the claim: nothing for the first copy (false). A second copy shows StopMsg and
    // asks the first to come forward; a failed claim shows what failed. Both answer true: this
    // copy must end before it touches the line or the tables.
    bool Loaded();

    // Run by the first copy for each request; by default ActivateWindows.
    std::function<void()> OnActivate;

    // Restores the minimised windows, then raises the active modal dialog, else `lastActive`;
    // hidden windows stay hidden.
    static void ActivateWindows(QWidget* lastActive);

    // "<title> kan niet starten: " with what failed and the lock's path.
    static std::string FailureMessage(const std::string& title, const os::InstanceLock& lock);

  private:
    void Listen();
    void Serve(QLocalSocket* socket);
    void Activated();

    std::string title_;
    os::InstanceLock lock_;
    os::InstanceLock folderLock_;
    bool withFolder_ = false;
    std::unique_ptr<QLocalServer> server_;
    QPointer<QWidget> lastActive_;
};

// Asks the first copy listening on `socketPath` to come forward and waits for its answer at most
// `limit`. Blocks its caller; any thread.
bool SendActivate(const std::string& socketPath, std::chrono::milliseconds limit);
