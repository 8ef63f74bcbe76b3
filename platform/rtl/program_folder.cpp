#include "platform/rtl/program_folder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <vector>

#include "platform/rtl/string_list.h"

namespace rtl {

namespace {

std::optional<std::string>& Override() {
    static std::optional<std::string> folder;
    return folder;
}

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string OwnFolder() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            return "./";
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            const std::string exe(buffer.data(), static_cast<std::size_t>(n));
            return WithSlash(exe.substr(0, exe.rfind('/') + 1));
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` named like `part`, or nullopt.
std::optional<std::string> MatchEntry(const std::string& folder, std::string_view part) {
    const std::string exact = JoinPath(folder, part);
    if (Exists(exact)) {
        return std::string(part);
    }
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> found;
    while (const dirent* entry = readdir(dir)) {
        if (SameTextAscii(entry->d_name, part)) {
            // The directory order is arbitrary; take the least name so the choice is stable.
            if (!found || std::string_view(entry->d_name) < *found) {
                found = entry->d_name;
            }
        }
    }
    closedir(dir);
    return found;
}

}  // namespace

std::string ProgramDir() {
    if (Override()) {
        return *Override();
    }
    static const std::string own = OwnFolder();
    return own;
}

void SetProgramDir(std::string folder) {
    if (folder.empty()) {
        Override().reset();
    } else {
        Override() = WithSlash(std::move(folder));
    }
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    while (!name.empty() && name.front() == '/' && !path.empty()) {
        name.remove_prefix(1);
    }
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    path.append(name);
    return path;
}

std::string ResolveCaseInsensitive(std::string_view folder, std::string_view name) {
    if (Exists(JoinPath(folder, name))) {
        return JoinPath(folder, name);
    }
    std::string path(folder);
    std::string_view rest = name;
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty()) {
            continue;
        }
        const std::optional<std::string> match = MatchEntry(path, part);
        if (!match) {
            return JoinPath(folder, name);
        }
        path = JoinPath(path, *match);
    }
    return path;
}

}  // namespace rtl
