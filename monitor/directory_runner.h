#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace monitor {

// How one run of the directory program went.
enum class DirectoryOutcome {
    RefusedNumber,  // the number could not go on a command line; nothing started
    StartFailed,    // an old result file could not be deleted, or the program did not start
    Ended,          // the program ended, by itself or by a signal; its exit code says nothing
    TimedOut,       // the wait ran out; the program's group was killed and collected
    WatchFailed,    // the program's end could not be watched; it was killed and collected
};

// The started program, as the runner sees it. The program uses the process descriptor of
// os::StartWatched; tests drive it by hand.
class DirectoryProcessPort {
  public:
    virtual ~DirectoryProcessPort() = default;
    // Starts argv with `folder` as working folder; false when it could not start.
    virtual bool Start(const std::vector<std::string>& argv, const std::string& folder) = 0;
    // Watches the started program; `ended` runs once, later, after the program has ended and
    // been collected. False when the program cannot be watched.
    virtual bool Watch(std::function<void()> ended) = 0;
    // Kills the started program's whole group and collects it; `ended` does not run.
    virtual void Kill() = 0;
};

// A one-shot timer; Start replaces a running one.
class DirectoryTimerPort {
  public:
    virtual ~DirectoryTimerPort() = default;
    virtual void Start(int milliseconds, std::function<void()> fired) = 0;
    virtual void Stop() = 0;
};

// One run of the directory program.
struct DirectoryRequest {
    std::optional<std::vector<std::string>> argv;  // nullopt: the number was refused
    std::string folder;                            // working folder of the program
    std::vector<std::string> staleFiles;           // deleted before the start
    int waitMilliseconds = 0;                      // counted from the program's own start
    // The completion runs only while `owner` lives; a request without an owner always gets it.
    std::weak_ptr<const void> owner;
    std::function<void(DirectoryOutcome)> done;
};

// Runs the directory program for every caller, one request at a time in arrival order, since
// all of them write the same result files. A completion may submit the next request. A request
// that starts nothing (refused number, failed start) completes inside Submit when nothing was
// waiting before it. Main thread only.
class DirectoryRunner {
  public:
    DirectoryRunner(DirectoryProcessPort& process, DirectoryTimerPort& timer);
    // A program still running is killed; no completion runs.
    ~DirectoryRunner();
    DirectoryRunner(const DirectoryRunner&) = delete;
    DirectoryRunner& operator=(const DirectoryRunner&) = delete;

    void Submit(DirectoryRequest request);

    // True while a program runs.
    bool Busy() const { return running_.has_value(); }
    // Kills the running program's group, collects it and completes its request as timed out,
    // now rather than when its wait runs out (the program's end). The next request then starts.
    void CutShort();
    std::size_t Waiting() const { return queue_.size(); }

  private:
    void StartNext();
    void Finish(DirectoryOutcome outcome);
    static void Complete(DirectoryRequest& request, DirectoryOutcome outcome);

    DirectoryProcessPort& process_;
    DirectoryTimerPort& timer_;
    std::deque<DirectoryRequest> queue_;
    std::optional<DirectoryRequest> running_;
    bool starting_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace monitor
