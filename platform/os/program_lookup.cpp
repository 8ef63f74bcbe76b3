#include "platform/os/program_lookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace os {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool EndsWithExe(std::string_view name) {
    if (name.size() <= 4) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - 4);
    const char* exe = ".exe";
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = tail[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != exe[i]) {
            return false;
        }
    }
    return true;
}

std::string Join(std::string_view dir, std::string_view name) {
    std::string path(dir);
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

}  // namespace

std::optional<std::string> FindProgram(std::string_view name, std::string_view programDir,
                                       std::string_view searchPath) {
    if (name.empty()) {
        return std::nullopt;
    }
    std::vector<std::string_view> names{name};
    if (EndsWithExe(name)) {
        names.push_back(name.substr(0, name.size() - 4));
    }
    auto firstIn = [&](std::string_view dir) -> std::optional<std::string> {
        for (const auto n : names) {
            std::string path = dir.empty() ? std::string(n) : Join(dir, n);
            if (IsExecutableFile(path)) {
                return path;
            }
        }
        return std::nullopt;
    };
    if (name.front() == '/') {
        return firstIn({});
    }
    if (!programDir.empty()) {
        if (auto found = firstIn(programDir)) {
            return found;
        }
    }
    if (name.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t colon = searchPath.find(':', start);
        if (colon == std::string_view::npos) {
            colon = searchPath.size();
        }
        const std::string_view dir = searchPath.substr(start, colon - start);
        // An empty entry would mean the working folder, which a monitor started from anywhere
        // should not depend on.
        if (!dir.empty()) {
            if (auto found = firstIn(dir)) {
                return found;
            }
        }
        start = colon + 1;
    }
    return std::nullopt;
}

std::optional<std::string> FindProgram(std::string_view name, std::string_view programDir) {
    const char* path = std::getenv("PATH");
    return FindProgram(name, programDir, path ? std::string_view(path) : std::string_view());
}

}  // namespace os
