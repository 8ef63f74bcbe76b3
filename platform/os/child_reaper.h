#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/os/process_start.h"

// Shared by the two ways of starting a program; not for use outside platform/os.
namespace os::detail {

// Starts argv as StartDetached does, stdin from /dev/null when asked, and leaves the child
// uncollected and uncounted.
StartResult SpawnChild(const std::vector<std::string>& argv, const std::string& programDir,
                       bool stdinFromNull);

// The reaper collects the child once it ends; counted until then.
void HandToReaper(pid_t pid);

// Counts a child that its starter collects itself, so UncollectedChildren sees it.
void CountOwnChild(int delta);

// A process descriptor for pid, or -1.
int OpenPidFd(pid_t pid);

}  // namespace os::detail
