#pragma once

#include <QObject>
#include <QProcess>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

namespace agent {

struct EspeakLimits {
    std::string searchPath;  // folders to look in; empty: the environment's PATH
    int timeLimitMs = 15000;
    qint64 outputLimit = 32 << 20;
};

// The espeak-ng program on the search path, or nothing.
std::optional<std::string> FindEspeak(const std::string& searchPath = {});

// One run of espeak-ng: the text goes to its standard input, never on its command line, and
// its wave output is read whole. Runs in the event loop; the main thread never waits for it.
class EspeakRun : public QObject {
    Q_OBJECT
  public:
    // A wave image, or nothing with a line saying why.
    using Done = std::function<void(std::optional<std::string> wav, std::string problem)>;

    explicit EspeakRun(EspeakLimits limits, QObject* parent = nullptr);
    ~EspeakRun() override;  // ends a run that still goes

    // `done` is called once, always later from the event loop, never from inside Start.
    void Start(const std::string& text, const std::string& voice, Done done);
    // Ends the run without calling `done`; no process is left behind.
    void Cancel();
    bool Running() const;
    qint64 ProcessId() const;

  private:
    void Finish(std::optional<std::string> wav, std::string problem);
    void Kill();

    EspeakLimits limits_;
    QProcess* process_ = nullptr;
    QTimer deadline_;
    std::string output_;
    Done done_;
};

}  // namespace agent
