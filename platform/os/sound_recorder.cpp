#include "platform/os/sound_recorder.h"

#include <cerrno>
#include <csignal>
#include <fstream>

#include "platform/os/command_line.h"

namespace os {

ProgramRecorder::ProgramRecorder(std::string commandLine, std::string programDir)
    : commandLine_(std::move(commandLine)), programDir_(std::move(programDir)) {}

ProgramRecorder::~ProgramRecorder() = default;  // the handle kills a recording still running

std::vector<std::string> ProgramRecorder::Arguments(const std::string& path) const {
    std::vector<std::string> argv = SplitCommandLine(commandLine_);
    argv.push_back(path);
    return argv;
}

bool ProgramRecorder::Start(const std::string& path, int& error) {
    if (process_.Running()) {
        error = EBUSY;
        return false;
    }
    const std::vector<std::string> argv = Arguments(path);
    if (argv.size() < 2) {
        error = ENOENT;
        return false;
    }
    WatchedStart start = StartWatched(argv, programDir_);
    if (!start.Started()) {
        error = start.error != 0 ? start.error : ENOENT;
        return false;
    }
    process_ = std::move(start.process);
    error = 0;
    return true;
}

void ProgramRecorder::RequestStop() {
    if (process_.Running()) {
        // The program leads its own group; the signal reaches any helper it started too.
        ::kill(-process_.Pid(), SIGINT);
    }
}

bool ProgramRecorder::Ended() {
    return !process_.Running() || process_.TryCollect();
}

void ProgramRecorder::Kill() {
    if (process_.Running()) {
        process_.Kill();
    }
}

bool FakeSoundRecorder::Start(const std::string& path, int& error) {
    started.push_back(path);
    if (failWith != 0) {
        error = failWith;
        return false;
    }
    error = 0;
    running_ = true;
    return true;
}

void FakeSoundRecorder::RequestStop() {
    ++stopRequests;
    if (running_ && !ignoreStop) {
        std::ofstream(started.back(), std::ios::binary) << recording;
        running_ = false;
    }
}

void FakeSoundRecorder::Kill() {
    ++kills;
    running_ = false;
}

}  // namespace os
