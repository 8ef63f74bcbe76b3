#include "platform/xbase32/file_lock.h"

#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "platform/xbase32/error.h"

namespace xb {

namespace {

bool SetLock(int fd, uint64_t offset, short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = 1;
    fl.l_pid = 0;  // required by OFD locks
    while (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EACCES) {
            return false;
        }
        throw Error(std::string("cannot lock: ") + std::strerror(errno));
    }
    return true;
}

}  // namespace

bool TryLock(int fd, uint64_t offset, LockKind kind) {
    return SetLock(fd, offset, kind == LockKind::kExclusive ? F_WRLCK : F_RDLCK);
}

bool LockWithTimeout(int fd, uint64_t offset, LockKind kind, int timeoutSeconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + std::chrono::seconds(timeoutSeconds > 0 ? timeoutSeconds : 0);
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        if (TryLock(fd, offset, kind)) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20000));
    }
}

void Unlock(int fd, uint64_t offset) {
    SetLock(fd, offset, F_UNLCK);
}

}  // namespace xb
