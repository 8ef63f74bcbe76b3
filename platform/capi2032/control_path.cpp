#include "platform/capi2032/control_path.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace capisim {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

ControlPath Checked(std::string path) {
    if (path.size() >= sizeof(sockaddr_un::sun_path)) {
        return {"", "the socket path is too long: " + path};
    }
    return {std::move(path), ""};
}

}  // namespace

ControlPath ControlSocketPath(bool create) {
    if (std::string own = Env("CAPISIM_SOCKET"); !own.empty()) {
        return Checked(own);
    }
    if (std::string runtime = Env("XDG_RUNTIME_DIR"); !runtime.empty()) {
        return Checked(runtime + "/capisim.sock");
    }
    std::string tmp = Env("TMPDIR");
    if (tmp.empty()) {
        tmp = "/tmp";
    }
    const std::string folder = tmp + "/capisim-" + std::to_string(getuid());
    if (create && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return {"", folder + ": " + std::strerror(errno)};
    }
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) {
        return {"", folder + ": " + std::strerror(errno)};
    }
    // Someone else's folder in a shared temporary folder could hand our commands to a line of
    // theirs.
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 0777) != 0700) {
        return {"", folder + " is not a folder of this user with mode 0700"};
    }
    return Checked(folder + "/capisim.sock");
}

}  // namespace capisim
