#include "setup/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace setup {

namespace fs = std::filesystem;

namespace {

void (*g_hook)(const char*) = nullptr;

// Room below which a failed write counts as one on a full disk.
constexpr unsigned long long kNearlyFullBytes = 1ull << 20;

std::string Reason(int error) {
    return error == ENOSPC || error == EDQUOT ? std::string(kDiskFullText) : std::strerror(error);
}

bool SyncedWhole(const std::string& path, off_t size, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat copied {};
    bool ok = ::fstat(fd, &copied) == 0 && ::fsync(fd) == 0;
    if (!ok) {
        error = Reason(errno);
    } else if (copied.st_size != size) {
        error = "kopie onvolledig (" + std::to_string(copied.st_size) + " van " +
                std::to_string(size) + " bytes)";
        ok = false;
    }
    ::close(fd);
    return ok;
}

}  // namespace

void SetSetupStepHook(void (*hook)(const char* step)) {
    g_hook = hook;
}

void SetupStep(const char* step) {
    if (g_hook != nullptr) {
        g_hook(step);
    }
}

bool CopyFileKeepingMode(const std::string& from, const std::string& to, unsigned mode,
                         std::string& error) {
    struct stat source {};
    if (::stat(from.c_str(), &source) != 0) {
        error = std::strerror(errno);
        return false;
    }
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        error = ec.category() == std::generic_category() || ec.category() == std::system_category()
                    ? Reason(ec.value())
                    : ec.message();
        fs::remove(to, ec);  // a partial program file would pass for an installation
        return false;
    }
    // A full disk can cut a copy short without the copy saying so, or only say so when the
    // data reaches the disk: the copy counts once it is on disk whole.
    if (!SyncedWhole(to, source.st_size, error)) {
        fs::remove(to, ec);
        return false;
    }
    const mode_t bits = mode != 0 ? static_cast<mode_t>(mode) : (source.st_mode & 07777);
    if (::chmod(to.c_str(), bits) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool DiskNearlyFull(const std::string& folder) {
    struct statvfs fsStat {};
    if (::statvfs(folder.c_str(), &fsStat) != 0) {
        return false;
    }
    return static_cast<unsigned long long>(fsStat.f_bavail) * fsStat.f_frsize < kNearlyFullBytes;
}

bool FreshBackupFolder(const std::string& target, std::string& error, std::string* aside) {
    const std::string backup = target + "backup";
    std::error_code ec;
    std::string moved;
    if (fs::symlink_status(backup, ec).type() != fs::file_type::not_found) {
        for (int n = 1;; ++n) {
            const std::string name = "backup." + std::to_string(n);
            if (fs::symlink_status(target + name, ec).type() == fs::file_type::not_found) {
                fs::rename(backup, target + name, ec);
                if (ec) {
                    error = ec.message();
                    return false;
                }
                moved = name;
                break;
            }
        }
    }
    if (::mkdir(backup.c_str(), 0755) != 0) {
        error = Reason(errno);
        if (!moved.empty()) {
            fs::rename(target + moved, backup, ec);  // the earlier backup keeps its name
        }
        return false;
    }
    if (aside != nullptr) {
        *aside = moved;
    }
    return true;
}

}  // namespace setup
