#include "platform/os/staged_swap.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/rtl/exception.h"

namespace os {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kJournalHeader = "belverin-swap 1";

std::function<void(std::string_view)>& Hook() {
    static std::function<void(std::string_view)> hook;
    return hook;
}

void Step(std::string_view step) {
    if (Hook()) {
        Hook()(step);
    }
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
    throw rtl::EInOutError(what + " " + path + ": " + std::strerror(error));
}

void SyncPath(const std::string& path, bool directory) {
    const int fd = ::open(path.c_str(), (directory ? O_DIRECTORY : 0) | O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Fail("Kan niet openen:", path, errno);
    }
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (result != 0) {
        Fail("Kan niet naar schijf schrijven:", path, error);
    }
}

std::string Join(const std::string& folder, std::string_view name) {
    return folder + "/" + std::string(name);
}

void RemoveTree(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
    if (ec) {
        throw rtl::EInOutError("Kan niet verwijderen: " + path + ": " + ec.message());
    }
}

// Files in `folder` whose names differ from `name` only in letter case and that are not the
// file `name` itself (a file system that ignores case shows one file under either name).
std::vector<std::string> OtherCaseNames(const std::string& folder, const std::string& name) {
    std::vector<std::string> found;
    struct stat own {};
    const bool hasOwn = ::stat(Join(folder, name).c_str(), &own) == 0;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return found;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string other = entry->d_name;
        struct stat st {};
        if (other == name || ::strcasecmp(other.c_str(), name.c_str()) != 0 ||
            ::lstat(Join(folder, other).c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
            (hasOwn && st.st_dev == own.st_dev && st.st_ino == own.st_ino)) {
            continue;
        }
        found.push_back(other);
    }
    ::closedir(dir);
    return found;
}

// Renames each staged name still in the staging folder; one already moved is skipped, so a
// second run after a stop finishes the rest. A staged file replaces the old one under any letter
// case: an old name in other case is removed, so one copy stays, under the staged name.
void RunRenames(const std::string& folder, const std::vector<std::string>& names) {
    const std::string staging = Join(folder, StagedSwap::kStagingName);
    for (const std::string& name : names) {
        const std::string from = Join(staging, name);
        if (::access(from.c_str(), F_OK) == 0) {
            if (::rename(from.c_str(), Join(folder, name).c_str()) != 0) {
                Fail("Kan niet hernoemen:", from, errno);
            }
            Step("rename");
        }
        for (const std::string& old : OtherCaseNames(folder, name)) {
            if (::unlink(Join(folder, old).c_str()) != 0 && errno != ENOENT) {
                Fail("Kan niet verwijderen:", Join(folder, old), errno);
            }
        }
    }
    SyncPath(folder, true);
}

std::vector<std::string> ReadJournal(const std::string& path, bool& complete) {
    std::ifstream in(path, std::ios::binary);
    std::string header;
    std::getline(in, header);
    std::vector<std::string> names;
    complete = false;
    for (std::string line; std::getline(in, line);) {
        if (line == ".") {
            complete = true;
            break;
        }
        names.push_back(line);
    }
    if (header != kJournalHeader) {
        complete = false;
    }
    return names;
}

void FinishFromJournal(const std::string& folder, const std::vector<std::string>& names) {
    RunRenames(folder, names);
    const std::string journal = Join(folder, StagedSwap::kJournalName);
    if (::unlink(journal.c_str()) != 0 && errno != ENOENT) {
        Fail("Kan niet verwijderen:", journal, errno);
    }
    SyncPath(folder, true);
    RemoveTree(Join(folder, StagedSwap::kStagingName));
}

}  // namespace

StagedSwap::StagedSwap(std::string folder) : folder_(std::move(folder)) {
    while (folder_.size() > 1 && folder_.back() == '/') {
        folder_.pop_back();
    }
}

std::string StagedSwap::StagingFolder() const {
    return Join(folder_, kStagingName);
}

std::string StagedSwap::StagedPath(std::string_view name) const {
    return Join(StagingFolder(), name);
}

void StagedSwap::Prepare() {
    RemoveTree(StagingFolder());
    if (::mkdir(StagingFolder().c_str(), 0755) != 0) {
        Fail("Kan map niet maken:", StagingFolder(), errno);
    }
}

void StagedSwap::Commit(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (name.empty() || name.find('/') != std::string::npos ||
            name.find('\n') != std::string::npos) {
            throw rtl::EInOutError("Ongeldige naam: " + name);
        }
        SyncPath(StagedPath(name), false);
    }
    SyncPath(StagingFolder(), true);

    // The journal is whole once its name exists: it is written and synced under another name.
    std::ostringstream text;
    text << kJournalHeader << '\n';
    for (const std::string& name : names) {
        text << name << '\n';
    }
    text << ".\n";
    const std::string journal = Join(folder_, kJournalName);
    const std::string partial = journal + ".tmp";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out) {
            Fail("Kan niet schrijven:", partial, EIO);
        }
    }
    SyncPath(partial, false);
    if (::rename(partial.c_str(), journal.c_str()) != 0) {
        Fail("Kan niet hernoemen:", partial, errno);
    }
    SyncPath(folder_, true);
    Step("journal");
    FinishFromJournal(folder_, names);
}

void StagedSwap::Discard() noexcept {
    std::error_code ec;
    fs::remove_all(StagingFolder(), ec);
}

SwapRecovery FinishStagedSwap(const std::string& folderIn) {
    StagedSwap swap(folderIn);
    const std::string folder = fs::path(swap.StagingFolder()).parent_path().string();
    const std::string journal = Join(folder, StagedSwap::kJournalName);
    ::unlink((journal + ".tmp").c_str());
    if (::access(journal.c_str(), F_OK) == 0) {
        bool complete = false;
        const std::vector<std::string> names = ReadJournal(journal, complete);
        if (complete) {
            FinishFromJournal(folder, names);
            return SwapRecovery::Finished;
        }
        // A journal is renamed into place only whole; anything else is not ours to follow.
        ::unlink(journal.c_str());
    }
    if (::access(swap.StagingFolder().c_str(), F_OK) == 0) {
        RemoveTree(swap.StagingFolder());
        return SwapRecovery::Dropped;
    }
    return SwapRecovery::Nothing;
}

void SetSwapStepHook(std::function<void(std::string_view step)> hook) {
    Hook() = std::move(hook);
}

}  // namespace os
