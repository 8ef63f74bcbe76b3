#pragma once

// What a benchmark's process holds in memory, in megabytes.

#include <sys/resource.h>
#include <unistd.h>

#include <cstddef>
#include <fstream>

namespace xb {

inline double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) /
           (1024 * 1024);
}

inline double PeakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

}  // namespace xb
