// Writes what it was started with into its working folder, for the process-start tests:
// probe.args holds each argument after the program name followed by a NUL byte; probe.info holds
// the process group, the descriptors and the blocked signals. Both appear whole (renamed into
// place).
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
    WriteWhole("probe.info", info.str());
    WriteWhole("probe.args", args);
    if (const char* wait = std::getenv("BELVERIN_PROBE_SLEEP")) {
        sleep(static_cast<unsigned>(std::atoi(wait)));
    }
    return 3;
}
