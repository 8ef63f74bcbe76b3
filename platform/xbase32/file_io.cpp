#include "platform/xbase32/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/xbase32/error.h"

namespace xb {

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      unsynced_(std::exchange(other.unsynced_, false)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        unsynced_ = std::exchange(other.unsynced_, false);
    }
    return *this;
}

File::~File() {
    Close();
}

namespace {

// The simulated disk of SimulateFreeSpace and SimulateReadOnlyDisk.
std::atomic<bool> g_simulating{false};
std::mutex g_simulatedMutex;
int64_t g_simulatedFree = -1;
int64_t g_refusedWrites = 0;
int64_t g_writesBeforeRefusals = 0;

void UpdateSimulating() {
    g_simulating.store(g_simulatedFree >= 0 || g_refusedWrites > 0, std::memory_order_release);
}

}  // namespace

std::string SystemErrorText(int error) {
    const std::string system = std::strerror(error);
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return "the disk is full (" + system + ")";
        case EROFS:
            return "the disk is read-only (" + system + ")";
        case EACCES:
        case EPERM:
            return "no permission to write there (" + system + ")";
        default:
            return system;
    }
}

int64_t SimulateFreeSpace(int64_t bytes) {
    const std::lock_guard lock(g_simulatedMutex);
    const int64_t old = std::exchange(g_simulatedFree, bytes < 0 ? -1 : bytes);
    UpdateSimulating();
    return old;
}

int64_t RefuseWrites(int64_t writes, int64_t after) {
    const std::lock_guard lock(g_simulatedMutex);
    g_writesBeforeRefusals = std::max<int64_t>(after, 0);
    const int64_t old = std::exchange(g_refusedWrites, std::max<int64_t>(writes, 0));
    UpdateSimulating();
    return old;
}

File File::Open(const std::string& path, int flags, int mode) {
    File f;
    f.path_ = path;
    f.fd_ = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    if (f.fd_ < 0) {
        const int error = errno;
        throw Error("cannot open " + path + ": " + SystemErrorText(error), error);
    }
    return f;
}

void File::Fail(const char* what) const {
    const int error = errno;
    throw Error(std::string(what) + " " + path_ + ": " + SystemErrorText(error), error);
}

size_t File::SimulatedRoom(uint64_t offset, size_t length) const {
    const std::lock_guard lock(g_simulatedMutex);
    if (g_refusedWrites > 0 && g_writesBeforeRefusals > 0) {
        --g_writesBeforeRefusals;
        return length;
    }
    if (g_refusedWrites > 0) {
        --g_refusedWrites;
        UpdateSimulating();
        errno = EROFS;
        return 0;
    }
    if (g_simulatedFree < 0) {
        return length;
    }
    // Only bytes past the file's end take room, as on a real disk.
    const uint64_t size = Size();
    const uint64_t end = offset + length;
    const uint64_t growth = end > size ? end - size : 0;
    if (growth <= static_cast<uint64_t>(g_simulatedFree)) {
        g_simulatedFree -= static_cast<int64_t>(growth);
        return length;
    }
    const uint64_t limit = size + static_cast<uint64_t>(g_simulatedFree);
    g_simulatedFree = 0;
    errno = ENOSPC;
    return limit > offset ? static_cast<size_t>(limit - offset) : 0;
}

uint64_t File::Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        Fail("cannot stat");
    }
    return static_cast<uint64_t>(st.st_size);
}

size_t File::ReadSome(uint64_t offset, void* buffer, size_t length) const {
    size_t done = 0;
    auto* p = static_cast<char*>(buffer);
    while (done < length) {
        ssize_t n = ::pread(fd_, p + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("cannot read");
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

void File::ReadExact(uint64_t offset, void* buffer, size_t length) const {
    if (ReadSome(offset, buffer, length) != length) {
        throw Error("unexpected end of " + path_);
    }
}

void File::WriteAt(uint64_t offset, const void* buffer, size_t length) {
    unsynced_ = true;
    size_t done = 0;
    const auto* p = static_cast<const char*>(buffer);
    if (g_simulating.load(std::memory_order_acquire)) {
        const size_t room = SimulatedRoom(offset, length);
        if (room < length) {
            const int error = errno;
            if (room > 0 && ::pwrite(fd_, p, room, static_cast<off_t>(offset)) < 0) {
                Fail("cannot write");
            }
            errno = error;
            Fail("cannot write");
        }
    }
    while (done < length) {
        ssize_t n = ::pwrite(fd_, p + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("cannot write");
        }
        done += static_cast<size_t>(n);
    }
}

void File::Truncate(uint64_t size) {
    unsynced_ = true;
    if (g_simulating.load(std::memory_order_acquire)) {
        const uint64_t before = Size();
        const std::lock_guard lock(g_simulatedMutex);
        if (g_simulatedFree >= 0) {
            if (size > before && size - before > static_cast<uint64_t>(g_simulatedFree)) {
                errno = ENOSPC;
                Fail("cannot truncate");
            }
            g_simulatedFree += static_cast<int64_t>(before) - static_cast<int64_t>(size);
        }
    }
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        Fail("cannot truncate");
    }
}

void File::Sync() {
    if (!unsynced_) {
        return;  // a flush with nothing written since costs a disk round trip for nothing
    }
    if (::fsync(fd_) != 0) {
        Fail("cannot flush");
    }
    unsynced_ = false;
}

void File::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::string DirectoryOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool NamesSameFile(const File& file, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(file.Fd(), &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FindFileIgnoringCase(const std::string& path) {
    if (FileExists(path)) {
        return path;
    }
    const std::string dir = DirectoryOf(path);
    const std::string name = FileNameOf(path);
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) {
        return {};
    }
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0) {
            std::string candidate = path.rfind('/') == std::string::npos
                                        ? std::string(e->d_name)
                                        : (dir == "/" ? "" : dir) + "/" + e->d_name;
            if (FileExists(candidate)) {
                found = candidate;
                break;
            }
        }
    }
    ::closedir(d);
    return found;
}

void SyncDirectory(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace xb
