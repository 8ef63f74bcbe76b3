#include "platform/os/tests/probe_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace os::testing {
namespace {

std::optional<std::string> WaitForFile(const std::string& path, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::ostringstream data;
            data << in.rdbuf();
            return data.str();
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

ProbeFolder::ProbeFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "belverin-probe-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    dir_ = pattern + "/";
}

ProbeFolder::~ProbeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void ProbeFolder::InstallProbe(const std::string& name) const {
    const std::filesystem::path target = std::filesystem::path(dir_) / name;
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::create_symlink(BELVERIN_ARGV_PROBE, target);
}

std::optional<std::vector<std::string>> ProbeFolder::WaitForArgs(
    std::chrono::milliseconds limit) const {
    const auto data = WaitForFile(dir_ + "probe.args", limit);
    if (!data) {
        return std::nullopt;
    }
    std::vector<std::string> args;
    std::size_t start = 0;
    for (std::size_t nul; (nul = data->find('\0', start)) != std::string::npos; start = nul + 1) {
        args.push_back(data->substr(start, nul - start));
    }
    return args;
}

std::optional<std::map<std::string, std::string>> ProbeFolder::WaitForInfo(
    std::chrono::milliseconds limit) const {
    const auto data = WaitForFile(dir_ + "probe.info", limit);
    if (!data) {
        return std::nullopt;
    }
    std::map<std::string, std::string> info;
    std::istringstream lines(*data);
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) {
            info[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return info;
}

bool ProbeFolder::NothingRan(std::chrono::milliseconds settle) const {
    return !WaitForFile(dir_ + "probe.info", settle) && !WaitForFile(dir_ + "probe.args", {});
}

}  // namespace os::testing
