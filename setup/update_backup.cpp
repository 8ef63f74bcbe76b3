#include "setup/update_backup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "setup/file_copy.h"

namespace setup {

namespace fs = std::filesystem;

namespace {

bool Missing(const std::string& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::not_found;
}

bool Sync(const std::string& path, int flags, std::string& error) {
    const int fd = ::open(path.c_str(), flags | O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        error = std::strerror(errno);
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    ::close(fd);
    return true;
}

// The marker names the folder an earlier backup was moved to (empty: there was none).
bool WriteMarker(const std::string& backup, const std::string& aside, std::string& error) {
    const std::string marker = backup + UpdateBackup::kMarkerName;
    {
        std::ofstream out(marker, std::ios::binary | std::ios::trunc);
        out << aside << '\n';
        out.flush();
        if (!out) {
            error = "kan " + marker + " niet schrijven";
            return false;
        }
    }
    return Sync(marker, 0, error) && Sync(backup, O_DIRECTORY, error);
}

}  // namespace

bool UndoUnfinishedBackup(const std::string& target, std::string& error) {
    const std::string backup = target + "backup";
    const std::string marker = backup + "/" + UpdateBackup::kMarkerName;
    if (Missing(marker)) {
        return true;
    }
    std::string aside;
    {
        std::ifstream in(marker, std::ios::binary);
        std::getline(in, aside);
    }
    std::error_code ec;
    fs::remove_all(backup, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    // Only a name of ours: the earlier backup beside it.
    if (aside.rfind("backup.", 0) == 0 && aside.find('/') == std::string::npos &&
        !Missing(target + aside)) {
        fs::rename(target + aside, backup, ec);
        if (ec) {
            error = ec.message();
            return false;
        }
    }
    return true;
}

UpdateBackup::UpdateBackup(std::string target) : target_(std::move(target)) {}

bool UpdateBackup::Make(std::string& error) {
    if (!UndoUnfinishedBackup(target_, error)) {
        return false;
    }
    if (!FreshBackupFolder(target_, error, &aside_)) {
        return false;
    }
    made_ = true;
    if (!WriteMarker(Folder(), aside_, error)) {
        Undo();
        return false;
    }
    return true;
}

bool UpdateBackup::Keep(std::string& error) {
    const std::string marker = Folder() + kMarkerName;
    if (::unlink(marker.c_str()) != 0 && errno != ENOENT) {
        error = std::strerror(errno);
        return false;
    }
    return Sync(Folder(), O_DIRECTORY, error);
}

void UpdateBackup::Undo() noexcept {
    if (!made_) {
        return;
    }
    made_ = false;
    std::error_code ec;
    fs::remove_all(Folder(), ec);
    if (!aside_.empty() && !ec) {
        fs::rename(target_ + aside_, target_ + "backup", ec);
    }
}

}  // namespace setup
