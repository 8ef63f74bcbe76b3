// Writes what it was started with into its working folder, for the process-start tests:
// probe.args holds each argument after the program name followed by a NUL byte; probe.info holds
// the process group, the descriptors, what stdin is and the blocked signals. Both appear whole
// (renamed into place). BELVERIN_PROBE_SLEEP makes it sleep that many seconds after writing;
// BELVERIN_PROBE_FORK makes a child in its group sleep as long as well (its pid in probe.info).
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

void WriteWhole(const std::string& name, const std::string& data) {
    const std::string temp = name + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary);
        out << data;
    }
    std::rename(temp.c_str(), name.c_str());
}

std::string OpenDescriptors() {
    std::string list;
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) {
        return "?";
    }
    const int own = dirfd(dir);
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.' || std::atoi(e->d_name) == own) {
            continue;
        }
        list += std::string(e->d_name) + " ";
    }
    closedir(dir);
    return list;
}

std::string BlockedSignals() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigBlk:", 0) == 0) {
            return line.substr(7);
        }
    }
    return "?";
}

}  // namespace

int main(int argc, char** argv) {
    std::string args;
    for (int i = 1; i < argc; ++i) {
        args += argv[i];
        args += '\0';
    }
    std::ostringstream info;
    info << "own_group=" << (getpgrp() == getpid() ? 1 : 0) << "\n";
    info << "fds=" << OpenDescriptors() << "\n";
    info << "blocked=" << BlockedSignals() << "\n";
    info << "pid=" << getpid() << "\n";
    char stdinTarget[256] = {};
    (void)readlink("/proc/self/fd/0", stdinTarget, sizeof stdinTarget - 1);
    info << "stdin=" << stdinTarget << "\n";
    const char* wait = std::getenv("BELVERIN_PROBE_SLEEP");
    if (wait != nullptr && std::getenv("BELVERIN_PROBE_FORK") != nullptr) {
        const pid_t child = fork();
        if (child == 0) {
            sleep(static_cast<unsigned>(std::atoi(wait)));
            _exit(0);
        }
        info << "child=" << child << "\n";
    }
    WriteWhole("probe.info", info.str());
    WriteWhole("probe.args", args);
    if (wait != nullptr) {
        sleep(static_cast<unsigned>(std::atoi(wait)));
    }
    return 3;
}
