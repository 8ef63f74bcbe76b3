#include "components/single_instance.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <exception>

#include "platform/ui/dialogs.h"

namespace {

constexpr char kRequest[] = "activate\n";
constexpr char kAnswer[] = "ok\n";
constexpr qint64 kMaxRequest = 64;

}  // namespace

TSingleInstance::TSingleInstance(std::string title, QObject* parent,
                                 const os::InstanceFolders& folders,
                                 const std::string& programFolder)
    : QObject(parent), title_(std::move(title)), lock_(os::InstanceLock::Claim(title_, folders)) {
    if (!lock_.IsFirst()) {
        return;
    }
    if (!programFolder.empty()) {
        withFolder_ = true;
        folderLock_ = os::InstanceLock::ClaimFolder(programFolder);
        if (!folderLock_.IsFirst()) {
            return;
        }
    }
    Listen();
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::focusWindowChanged, this, [this](QWindow*) {
            if (QWidget* active = QApplication::activeWindow()) {
                lastActive_ = active;
            }
        });
    }
}

TSingleInstance::~TSingleInstance() = default;

const os::InstanceLock& TSingleInstance::Lock() const {
    return withFolder_ ? folderLock_ : lock_;
}

bool TSingleInstance::Listening() const {
    return server_ && server_->isListening();
}

void TSingleInstance::Listen() {
    const QString path = QString::fromStdString(lock_.SocketPath());
    // Only the lock's holder may take a stale socket away: no other copy is listening on it.
    QLocalServer::removeServer(path);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        std::fprintf(stderr, "%s: no activation socket at %s: %s\n", title_.c_str(),
                     lock_.SocketPath().c_str(), server_->errorString().toLocal8Bit().constData());
        return;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            Serve(socket);
        }
    });
}

void TSingleInstance::Serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        const QByteArray seen = socket->peek(kMaxRequest);
        if (seen.startsWith(kRequest)) {
            socket->readAll();
            Activated();
            socket->write(kAnswer);
            socket->flush();
            socket->disconnectFromServer();
        } else if (seen.size() >= kMaxRequest || seen.contains('\n')) {
            socket->abort();  // not a request of ours
        }
    });
}

void TSingleInstance::Activated() {
    try {
        if (OnActivate) {
            OnActivate();
        } else {
            ActivateWindows(lastActive_);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: activation: %s\n", title_.c_str(), e.what());
    }
}

void TSingleInstance::ActivateWindows(QWidget* lastActive) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->isMinimized()) {
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
            w->show();
        }
    }
    QWidget* target = QApplication::activeModalWidget();
    if (target == nullptr) {
        target = lastActive;
    }
    if (target != nullptr && target->isVisible()) {
        target->raise();
        target->activateWindow();
    }
}

std::string TSingleInstance::FailureMessage(const std::string& title,
                                            const os::InstanceLock& lock) {
    return title + " kan niet starten: " + lock.Reason() + " (" + lock.LockPath() + ")";
}

bool TSingleInstance::Loaded() {
    switch (Lock().Verdict()) {
        case os::InstanceVerdict::First:
            return false;
        case os::InstanceVerdict::Failed:
            // Never two copies on the tables: a claim that failed ends this copy too.
            ui::dialogs().CaptionedMessage(FailureMessage(title_, Lock()), title_,
                                           ui::MsgDlgType::Error);
            return true;
        case os::InstanceVerdict::Another:
            break;
    }
    if (!StopMsg.empty()) {
        ui::dialogs().CaptionedMessage(StopMsg, title_, ui::MsgDlgType::Warning);
    }
    // A copy from this folder in another session has no socket this copy can reach.
    if (Activate && !lock_.IsFirst()) {
        SendActivate(lock_.SocketPath(), std::chrono::seconds(2));
    }
    return true;
}

bool SendActivate(const std::string& socketPath, std::chrono::milliseconds limit) {
    QDeadlineTimer deadline(limit.count());
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socketPath));
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    QByteArray answer;
    while (!answer.contains('\n') && deadline.remainingTime() > 0) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
        answer += socket.read(kMaxRequest);
    }
    return answer == kAnswer;
}
