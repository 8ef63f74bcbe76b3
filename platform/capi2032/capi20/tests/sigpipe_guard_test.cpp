// Writes to a socket whose far end has gone, as libcapi20's remote drivers write: without
// MSG_NOSIGNAL. The guard must keep the process alive and leave others' SIGPIPEs alone.

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "platform/capi2032/capi20/sigpipe_guard.h"

namespace {

bool PipePending() {
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    return sigismember(&pending, SIGPIPE) == 1;
}

// Both writes fail once the far end is closed; the second at the latest raises SIGPIPE.
int WriteTwiceToAClosedPeer() {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    close(fds[1]);
    const char byte = 1;
    send(fds[0], &byte, 1, 0);
    const ssize_t n = send(fds[0], &byte, 1, 0);
    const int error = errno;
    close(fds[0]);
    return n < 0 ? error : 0;
}

TEST(SigpipeGuardTest, AWriteToAGonePeerFailsWithoutEndingTheProcess) {
    ASSERT_FALSE(PipePending());
    {
        capi20::SigpipeGuard guard;
        EXPECT_EQ(WriteTwiceToAClosedPeer(), EPIPE);
    }
    EXPECT_FALSE(PipePending()) << "the guard's own SIGPIPE is taken away";
    sigset_t mask;
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    EXPECT_EQ(sigismember(&mask, SIGPIPE), 0) << "the mask is as it was";
}

TEST(SigpipeGuardTest, ASigpipeThatWasPendingBeforeStaysPending) {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t old;
    pthread_sigmask(SIG_BLOCK, &pipe, &old);
    raise(SIGPIPE);
    ASSERT_TRUE(PipePending());
    {
        capi20::SigpipeGuard guard;
        WriteTwiceToAClosedPeer();
    }
    EXPECT_TRUE(PipePending()) << "someone else's SIGPIPE is theirs to take";
    const timespec now{};
    sigtimedwait(&pipe, nullptr, &now);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

}  // namespace
