#include "monitor/directory_command.h"

#include <string>

#include "monitor/wait_times.h"
#include "platform/rtl/program_folder.h"

namespace monitor {

namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::vector<std::string> LookupArguments(std::string_view folder, std::string_view zoektijd,
                                         std::string_view nummer, bool numberApart) {
    const std::string d(folder);
    std::vector<std::string> argv = {d + "foongrep.exe",
                                     "-1",
                                     "-,,",
                                     "-q",
                                     "-a",
                                     "iso",
                                     "-e" + std::to_string(SearchWaitSeconds(zoektijd)),
                                     "-rsfpmgt"};
    if (numberApart) {
        argv.emplace_back("-t");
        argv.emplace_back(nummer);
    } else {
        argv.push_back("-t" + std::string(nummer));
    }
    argv.insert(argv.end(), {"-o", BelvoLogPath(d), "-O", Belvo2LogPath(d)});
    return argv;
}

}  // namespace

std::string FoongrepFolder(std::string_view foongrepdir, std::string_view programDir) {
    if (foongrepdir.empty()) {
        return WithSlash(std::string(programDir));
    }
    if (foongrepdir.front() == '/') {
        return WithSlash(std::string(foongrepdir));
    }
    return WithSlash(rtl::JoinPath(programDir, foongrepdir));
}

bool IsDirectoryNumber(std::string_view nummer) {
    if (nummer.empty() || nummer.front() == '-') {
        return false;
    }
    for (const char c : nummer) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    return true;
}

std::string BelvoLogPath(std::string_view folder) {
    return std::string(folder) + "belvo.log";
}

std::string Belvo2LogPath(std::string_view folder) {
    return std::string(folder) + "belvo2.log";
}

std::optional<std::vector<std::string>> MonitorLookupArguments(std::string_view folder,
                                                               std::string_view zoektijd,
                                                               std::string_view nummer) {
    if (!IsDirectoryNumber(nummer)) {
        return std::nullopt;
    }
    return LookupArguments(folder, zoektijd, nummer, true);
}

std::optional<std::vector<std::string>> WindowLookupArguments(std::string_view folder,
                                                              std::string_view zoektijd,
                                                              std::string_view nummer) {
    if (!IsDirectoryNumber(nummer)) {
        return std::nullopt;
    }
    return LookupArguments(folder, zoektijd, nummer, false);
}

std::vector<std::string> StatusTestArguments(std::string_view folder) {
    const std::string d(folder);
    return {d + "foongrep.exe", "-S", "-O", Belvo2LogPath(d)};
}

}  // namespace monitor
