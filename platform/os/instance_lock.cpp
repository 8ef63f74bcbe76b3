#include "platform/os/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace os {
namespace {

std::string ErrorText(int error) {
    return std::strerror(error);
}

// A folder only this user can enter: not a link, owned by the user, mode exactly 0700.
bool IsPrivateFolder(const std::string& path, std::string& reason) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        reason = "map " + path + " onbruikbaar (" + ErrorText(errno) + ")";
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        reason = "map " + path + " is geen map";
        return false;
    }
    if (st.st_uid != ::getuid()) {
        reason = "map " + path + " is niet van deze gebruiker";
        return false;
    }
    if ((st.st_mode & 07777) != 0700) {
        reason = "map " + path + " heeft niet de rechten 0700";
        return false;
    }
    return true;
}

}  // namespace

InstanceFolders InstanceFolders::FromEnvironment() {
    InstanceFolders folders;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr) {
        folders.runtimeDir = runtime;
    }
    return folders;
}

std::string ChooseInstanceFolder(const InstanceFolders& folders, std::string& reason) {
    std::string ignored;
    if (!folders.runtimeDir.empty() && folders.runtimeDir.front() == '/' &&
        IsPrivateFolder(folders.runtimeDir, ignored)) {
        return folders.runtimeDir;
    }
    const std::string own =
        folders.fallbackParent + "/belverin-" + std::to_string(static_cast<unsigned>(::getuid()));
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
        reason = "map " + own + " kan niet worden gemaakt (" + ErrorText(errno) + ")";
        return {};
    }
    if (!IsPrivateFolder(own, reason)) {
        return {};
    }
    return own;
}

std::string InstanceName(std::string_view title) {
    // FNV-1a over the title's bytes: fixed, so every build and process agrees.
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : title) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string name = "belverin-";
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += kDigits[(hash >> shift) & 0xF];
    }
    return name;
}

InstanceLock InstanceLock::Claim(std::string_view title, const InstanceFolders& folders) {
    InstanceLock lock;
    lock.name_ = InstanceName(title);
    lock.folder_ = ChooseInstanceFolder(folders, lock.reason_);
    if (lock.folder_.empty()) {
        lock.lockPath_ = folders.fallbackParent + "/belverin-" +
                         std::to_string(static_cast<unsigned>(::getuid())) + "/" + lock.name_ +
                         ".lock";
        return lock;
    }
    lock.lockPath_ = lock.folder_ + "/" + lock.name_ + ".lock";
    lock.Lock(::open(lock.lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    return lock;
}

InstanceLock InstanceLock::ClaimFolder(const std::string& folder) {
    InstanceLock lock;
    lock.lockPath_ = folder.empty() ? "." : folder;
    if (lock.Lock(::open(lock.lockPath_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))) {
        return lock;
    }
    // A file system that locks no folder (a network one) locks a file in it.
    lock.reason_.clear();
    lock.lockPath_ += (lock.lockPath_.back() == '/' ? "" : "/") + std::string(kFolderLockName);
    int fd = ::open(lock.lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        fd = ::open(lock.lockPath_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    lock.Lock(fd);
    return lock;
}

bool InstanceLock::Lock(int fd) {
    if (fd < 0) {
        reason_ = "vergrendeling niet te openen (" + ErrorText(errno) + ")";
        return true;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            verdict_ = InstanceVerdict::Another;
            return true;
        }
        reason_ = "vergrendeling mislukt (" + ErrorText(error) + ")";
        return error != EBADF && error != ENOLCK && error != EINVAL && error != EOPNOTSUPP;
    }
    fd_ = fd;
    verdict_ = InstanceVerdict::First;
    return true;
}

std::string InstanceLock::SocketPath() const {
    if (folder_.empty()) {
        return {};
    }
    return folder_ + "/" + name_ + ".sock";
}

InstanceLock::~InstanceLock() {
    Release();
}

void InstanceLock::Release() {
    if (fd_ >= 0) {
        ::close(fd_);  // the lock goes with the last reference to the open file
        fd_ = -1;
    }
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      verdict_(other.verdict_),
      reason_(std::move(other.reason_)),
      lockPath_(std::move(other.lockPath_)),
      folder_(std::move(other.folder_)),
      name_(std::move(other.name_)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
        verdict_ = other.verdict_;
        reason_ = std::move(other.reason_);
        lockPath_ = std::move(other.lockPath_);
        folder_ = std::move(other.folder_);
        name_ = std::move(other.name_);
    }
    return *this;
}

}  // namespace os
