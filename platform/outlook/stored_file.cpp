#include "platform/outlook/stored_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/outlook/automation_error.h"

namespace outlook {

namespace {

std::function<void()>& BeforeRenameHook() {
    static std::function<void()> hook;
    return hook;
}

FileStamp FromStat(const struct stat& st) {
    FileStamp s;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err) {
    throw EAutomationError(what + " " + path + ": " + std::strerror(err));
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FromStat(st);
}

std::optional<StampedContent> ReadStamped(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    StampedContent out;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        out.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    out.stamp = FromStat(st);
    return out;
}

FileStamp WriteStoredFile(const std::string& path, std::string_view bytes, bool mustBeNew) {
    static std::atomic<unsigned> counter{0};
    // The temporary name does not end in a store extension, so a stop never leaves an item.
    const std::string temp = FolderOf(path) + ".~" + std::to_string(getpid()) + "." +
                             std::to_string(counter.fetch_add(1)) + ".tmp";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        Fail("Unable to write", path, errno);
    }
    auto abandon = [&](int err) {
        close(fd);
        unlink(temp.c_str());
        Fail("Unable to write", path, err);
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            abandon(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0) {
        abandon(errno);
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        abandon(errno);
    }
    if (BeforeRenameHook()) {
        try {
            BeforeRenameHook()();
        } catch (...) {
            close(fd);
            unlink(temp.c_str());
            throw;
        }
    }
    const int renamed =
        mustBeNew ? renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE)
                  : rename(temp.c_str(), path.c_str());
    if (renamed != 0) {
        abandon(errno);
    }
    close(fd);
    SyncFolder(FolderOf(path));
    return FromStat(st);
}

void SetBeforeRenameHook(std::function<void()> hook) {
    BeforeRenameHook() = std::move(hook);
}

void MakePrivateFolder(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) {
        throw EAutomationError("Unable to create " + path + ": " + ec.message());
    }
    if (chmod(path.c_str(), 0700) != 0) {
        Fail("Unable to protect", path, errno);
    }
    if (access(path.c_str(), W_OK | X_OK) != 0) {
        Fail("Unable to write in", path, errno);
    }
}

}  // namespace outlook
