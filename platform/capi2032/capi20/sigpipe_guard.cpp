#include "platform/capi2032/capi20/sigpipe_guard.h"

#include <pthread.h>
#include <time.h>

namespace capi20 {
namespace {

sigset_t PipeOnly() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

bool PipePending() {
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

SigpipeGuard::SigpipeGuard() : was_pending_(PipePending()) {
    const sigset_t pipe = PipeOnly();
    pthread_sigmask(SIG_BLOCK, &pipe, &old_mask_);
}

SigpipeGuard::~SigpipeGuard() {
    if (!was_pending_ && PipePending()) {
        const sigset_t pipe = PipeOnly();
        const timespec now{};
        sigtimedwait(&pipe, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &old_mask_, nullptr);
}

}  // namespace capi20
