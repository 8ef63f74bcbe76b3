#include "monitor/directory_runner.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <utility>

namespace monitor {

namespace {

// A file that is gone counts as deleted; anything else that stays is a failure.
bool DeleteStale(const std::vector<std::string>& files) {
    for (const auto& file : files) {
        std::error_code error;
        std::filesystem::remove(file, error);
        if (error || std::filesystem::symlink_status(file, error).type() !=
                         std::filesystem::file_type::not_found) {
            return false;
        }
    }
    return true;
}

// An owner that was given and has gone; a request without one is never "gone".
bool OwnerGone(const std::weak_ptr<const void>& owner) {
    const std::weak_ptr<const void> none;
    const bool given = owner.owner_before(none) || none.owner_before(owner);
    return given && owner.expired();
}

}  // namespace

DirectoryRunner::DirectoryRunner(DirectoryProcessPort& process, DirectoryTimerPort& timer)
    : process_(process), timer_(timer) {}

DirectoryRunner::~DirectoryRunner() {
    if (running_) {
        timer_.Stop();
        process_.Kill();
    }
}

void DirectoryRunner::Submit(DirectoryRequest request) {
    queue_.push_back(std::move(request));
    StartNext();
}

void DirectoryRunner::StartNext() {
    // A completion that submits from inside this loop only queues; the loop takes it in turn.
    if (starting_) {
        return;
    }
    starting_ = true;
    const std::weak_ptr<int> alive = alive_;
    while (!running_ && !queue_.empty()) {
        DirectoryRequest request = std::move(queue_.front());
        queue_.pop_front();
        if (OwnerGone(request.owner)) {
            continue;
        }
        std::optional<DirectoryOutcome> outcome;
        if (!request.argv) {
            outcome = DirectoryOutcome::RefusedNumber;
        } else if (!DeleteStale(request.staleFiles) ||
                   !process_.Start(*request.argv, request.folder)) {
            outcome = DirectoryOutcome::StartFailed;
        }
        if (outcome) {
            Complete(request, *outcome);
            if (alive.expired()) {
                return;  // the completion ended the runner
            }
            continue;
        }
        running_ = std::move(request);
        if (!process_.Watch([this] { Finish(DirectoryOutcome::Ended); })) {
            process_.Kill();
            Finish(DirectoryOutcome::WatchFailed);
            if (alive.expired()) {
                return;
            }
            continue;
        }
        if (!running_) {
            continue;  // a port that reported the end at once
        }
        timer_.Start(running_->waitMilliseconds, [this] {
            process_.Kill();
            Finish(DirectoryOutcome::TimedOut);
        });
    }
    starting_ = false;
}

void DirectoryRunner::CutShort() {
    if (!running_) {
        return;
    }
    process_.Kill();
    Finish(DirectoryOutcome::TimedOut);
}

void DirectoryRunner::Finish(DirectoryOutcome outcome) {
    if (!running_) {
        return;
    }
    timer_.Stop();
    DirectoryRequest request = std::move(*running_);
    running_.reset();
    const std::weak_ptr<int> alive = alive_;
    const bool nested = starting_;
    Complete(request, outcome);
    if (!alive.expired() && !nested) {
        StartNext();
    }
}

void DirectoryRunner::Complete(DirectoryRequest& request, DirectoryOutcome outcome) {
    if (!request.done || (OwnerGone(request.owner))) {
        return;
    }
    // Completions run from the event loop, which no exception may reach.
    try {
        request.done(outcome);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Foongrep: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Foongrep: onbekende fout\n");
    }
}

}  // namespace monitor
