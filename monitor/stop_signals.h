#pragma once

#include <functional>

namespace monitor {

// Runs `stop` from the event loop when SIGTERM or SIGINT arrives, so that a logout or Ctrl+C
// ends the program as its own close command does. A later call replaces `stop`; an empty one
// gives both signals their default action again.
void EndOnStopSignals(std::function<void()> stop);

}  // namespace monitor
