#pragma once

// libcapi20's remote drivers write to their sockets without MSG_NOSIGNAL: once the far end has
// gone, a write raises SIGPIPE, which would end the whole program. While a guard lives, SIGPIPE
// is held back in this thread, and one that the calls in between raised is taken away unseen;
// the write itself still fails, and the library reports that as its own error.

#include <signal.h>

namespace capi20 {

class SigpipeGuard {
  public:
    SigpipeGuard();
    ~SigpipeGuard();
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

  private:
    sigset_t old_mask_;
    bool was_pending_ = false;  // someone else's SIGPIPE, left for them
};

}  // namespace capi20
