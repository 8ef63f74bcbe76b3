#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace os {

struct StartResult {
    pid_t pid = -1;
    int error = 0;  // errno value when the start failed
    bool Started() const { return pid > 0; }
};

// Starts argv[0], looked up as FindProgram does, with argv as its arguments: no shell, in a
// process group of its own, with only descriptors 0 to 2 inherited, the program folder as its
// working folder, default signal handling and an empty signal mask. The caller does not wait; a
// reaper thread collects the exit so no zombie is left. An empty argv or a program that is not
// found gives ENOENT.
StartResult StartDetached(const std::vector<std::string>& argv, const std::string& programDir);

// How many started programs have not been collected yet (for tests and diagnostics).
std::size_t UncollectedChildren();

}  // namespace os
