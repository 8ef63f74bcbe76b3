#include "monitor/book/table_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "xbase/xbase_component.h"

namespace book {

namespace fs = std::filesystem;

namespace {

// Makes a new empty file beside `target`, with the permissions a new file gets; empty when
// none can be made.
std::string MakeSibling(const fs::path& target) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string stem = "." + target.filename().string() + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            folder / (stem + std::to_string(::getpid()) + "-" + std::to_string(attempt));
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return candidate.string();
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

// Whether an existing file at `path` may be replaced: a regular file the user may write and
// that is not marked read-only (no write permission for anyone).
bool MayReplace(const fs::path& path, const struct stat& info) {
    return S_ISREG(info.st_mode) && (info.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

// Brings the file's text to the disk before it takes the old file's place.
bool Flush(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

bool WriteTableText(xbase::TXbase& engine, const std::string& target, int kind) {
    if (target.empty()) {
        return false;
    }
    engine.Commit();
    std::error_code ec;
    fs::path path(target);
    // A link stays a link: its file gets the text.
    if (fs::is_symlink(path, ec)) {
        path = fs::weakly_canonical(path, ec);
        if (ec) {
            return false;
        }
    }
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (exists && !MayReplace(path, info)) {
        return false;
    }
    const std::string temporary = MakeSibling(path);
    if (temporary.empty()) {
        return false;
    }
    bool written = false;
    try {
        written = engine.CopyFileText(temporary, kind);
    } catch (...) {
        fs::remove(temporary, ec);
        throw;
    }
    if (written && exists) {
        written = ::chmod(temporary.c_str(), info.st_mode & 07777) == 0;
    }
    if (written) {
        written = Flush(temporary) && ::rename(temporary.c_str(), path.c_str()) == 0;
    }
    if (!written) {
        fs::remove(temporary, ec);
    }
    return written;
}

std::string WithDefaultExtension(const std::string& fileName, const std::string& defaultExt) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    if (defaultExt.empty() || base >= fileName.size() ||
        fileName.find('.', base) != std::string::npos) {
        return fileName;
    }
    return fileName + "." + defaultExt;
}

bool ExportTable(xbase::TXbase& engine, int kind, const ExportDialog& dialog, ExportPort& port) {
    std::string chosen;
    if (!port.ChooseFile(dialog, chosen)) {
        return false;
    }
    const std::string fileName = WithDefaultExtension(chosen, dialog.defaultExt);
    bool written = false;
    port.Busy(true);
    try {
        written = WriteTableText(engine, fileName, kind);
    } catch (...) {
        port.Busy(false);
        throw;
    }
    port.Busy(false);
    if (!written) {
        port.Failed(kExportFailed + fileName);
    }
    return written;
}

}  // namespace book
