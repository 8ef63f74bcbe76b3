#include "platform/agent/espeak_run.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <utility>

#include "platform/agent/wav_stream.h"

namespace agent {

std::optional<std::string> FindEspeak(const std::string& searchPath) {
    std::string path = searchPath;
    if (path.empty()) {
        const char* env = std::getenv("PATH");
        path = env ? env : "";
    }
    const QStringList folders =
        QString::fromStdString(path).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (folders.isEmpty()) {
        return std::nullopt;
    }
    const QString found = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"), folders);
    if (found.isEmpty()) {
        return std::nullopt;
    }
    return found.toStdString();
}

EspeakRun::EspeakRun(EspeakLimits limits, QObject* parent)
    : QObject(parent), limits_(std::move(limits)) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        Kill();
        Finish(std::nullopt, "espeak-ng took longer than " + std::to_string(limits_.timeLimitMs) +
                                 " ms and was ended");
    });
}

EspeakRun::~EspeakRun() {
    Cancel();
}

void EspeakRun::Start(const std::string& text, const std::string& voice, Done done) {
    Cancel();
    done_ = std::move(done);
    output_.clear();
    const auto program = FindEspeak(limits_.searchPath);
    if (!program) {
        // Answer from the event loop, as a run would.
        QTimer::singleShot(0, this, [this] { Finish(std::nullopt, "espeak-ng not found"); });
        return;
    }
    process_ = new QProcess(this);
    process_->setProgram(QString::fromStdString(*program));
    process_->setArguments({QStringLiteral("-v"), QString::fromStdString(voice),
                            QStringLiteral("-b"), QStringLiteral("1"), QStringLiteral("--stdin"),
                            QStringLiteral("--stdout")});
    process_->setStandardErrorFile(QProcess::nullDevice());
    // The voice must not outlive the program, however the program ends.
    process_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    QProcess* process = process_;
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
        if (process != process_) {
            return;
        }
        output_ += process->readAllStandardOutput().toStdString();
        if (static_cast<qint64>(output_.size()) > limits_.outputLimit) {
            Kill();
            Finish(std::nullopt,
                   "espeak-ng wrote more than " + std::to_string(limits_.outputLimit) + " bytes");
        }
    });
    connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus st) {
        if (process != process_) {
            return;
        }
        output_ += process->readAllStandardOutput().toStdString();
        process_ = nullptr;
        process->deleteLater();
        if (st != QProcess::NormalExit || code != 0) {
            Finish(std::nullopt, "espeak-ng failed with exit code " + std::to_string(code));
        } else if (static_cast<qint64>(output_.size()) > limits_.outputLimit) {
            Finish(std::nullopt,
                   "espeak-ng wrote more than " + std::to_string(limits_.outputLimit) + " bytes");
        } else if (!MendStreamedWav(output_)) {
            Finish(std::nullopt,
                   output_.empty() ? "espeak-ng gave no sound" : "espeak-ng gave no wave image");
        } else {
            Finish(std::move(output_), {});
        }
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
        if (process != process_ || e != QProcess::FailedToStart) {
            return;
        }
        process_ = nullptr;
        process->deleteLater();
        Finish(std::nullopt, "espeak-ng did not start");
    });
    process_->start(QIODevice::ReadWrite);
    process_->write(QByteArray::fromStdString(text));
    process_->closeWriteChannel();
    deadline_.start(limits_.timeLimitMs);
}

void EspeakRun::Kill() {
    deadline_.stop();
    if (!process_) {
        return;
    }
    QProcess* process = process_;
    process_ = nullptr;
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        process->kill();
        // Collect it at once: killed, it ends within moments, and no zombie stays.
        process->waitForFinished(2000);
    }
    // It may be the sender of the signal being handled.
    process->deleteLater();
}

void EspeakRun::Cancel() {
    Kill();
    done_ = nullptr;
}

bool EspeakRun::Running() const {
    return process_ != nullptr;
}

qint64 EspeakRun::ProcessId() const {
    return process_ ? process_->processId() : 0;
}

void EspeakRun::Finish(std::optional<std::string> wav, std::string problem) {
    deadline_.stop();
    Done done = std::move(done_);
    done_ = nullptr;
    output_.clear();
    if (done) {
        done(std::move(wav), std::move(problem));
    }
}

}  // namespace agent
