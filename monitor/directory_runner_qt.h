#pragma once

#include "monitor/directory_runner.h"

namespace monitor {

// The program's one directory runner: the program's end is seen through a QSocketNotifier on
// its process descriptor, the wait is a single-shot QTimer. Made on first use, after the
// application object; it goes with the application object, killing a program still running.
// Main thread only.
DirectoryRunner& SharedDirectoryRunner();

}  // namespace monitor
