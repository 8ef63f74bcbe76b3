#include "platform/rtl/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/rtl/exception.h"

namespace rtl {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err) {
    throw EInOutError(what + " " + path + ": " + std::strerror(err));
}

// The file a write should replace: the target of a symbolic link, so the link stays a link.
std::string WriteTarget(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
        realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        Fail("Unable to read", path, errno);
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int err = errno;
            close(fd);
            Fail("Unable to read", path, err);
        }
        if (n == 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return content;
}

void WriteWholeFileAtomically(const std::string& path, std::string_view content) {
    static std::atomic<unsigned> counter{0};
    const std::string target = WriteTarget(path);
    const std::string temp = target + ".~" + std::to_string(getpid()) + "." +
                             std::to_string(counter.fetch_add(1)) + ".tmp";
    // 0666 lets the umask decide for a new file, as for any file the program creates.
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        Fail("Unable to write to", path, errno);
    }
    auto abandon = [&](int err) {
        close(fd);
        unlink(temp.c_str());
        Fail("Unable to write to", path, err);
    };
    struct stat st {};
    if (stat(target.c_str(), &st) == 0 && fchmod(fd, st.st_mode & 07777) != 0) {
        abandon(errno);
    }
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            abandon(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (close(fd) != 0) {
        const int err = errno;
        unlink(temp.c_str());
        Fail("Unable to write to", path, err);
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        unlink(temp.c_str());
        Fail("Unable to write to", path, err);
    }
}

}  // namespace rtl
