#include "platform/xbase32/file_lock.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <utility>

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

std::vector<uint64_t> HeldElsewhere(int fd, uint64_t from, uint64_t to) {
    std::vector<uint64_t> held;
    // The kernel names one conflicting lock per test, not the lowest: split around each.
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    if (from <= to) {
        ranges.emplace_back(from, to);
    }
    while (!ranges.empty()) {
        const auto [a, b] = ranges.back();
        ranges.pop_back();
        struct flock fl {};
        fl.l_type = F_WRLCK;  // conflicts with any lock of another open
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(a);
        fl.l_len = static_cast<off_t>(b - a + 1);
        fl.l_pid = 0;
        while (::fcntl(fd, F_OFD_GETLK, &fl) != 0) {
            if (errno != EINTR) {
                throw Error(std::string("cannot test a lock: ") + std::strerror(errno));
            }
        }
        if (fl.l_type == F_UNLCK) {
            continue;
        }
        const auto start = std::max(a, static_cast<uint64_t>(fl.l_start));
        const auto end =
            fl.l_len == 0 ? b : std::min(b, static_cast<uint64_t>(fl.l_start + fl.l_len - 1));
        for (uint64_t x = start; x <= end; ++x) {
            held.push_back(x);
        }
        if (start > a) {
            ranges.emplace_back(a, start - 1);
        }
        if (end < b) {
            ranges.emplace_back(end + 1, b);
        }
    }
    std::sort(held.begin(), held.end());
    return held;
}

}  // namespace xb
