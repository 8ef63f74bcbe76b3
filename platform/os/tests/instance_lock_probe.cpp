// Claims a title's lock and says what it got: "first <lock>", "another" or "failed <reason>".
// Usage: instance_lock_probe <title> [<fallback parent> [<program> <args>...]]
//    or: instance_lock_probe --folder <program folder> (claims that folder's lock)
// A program given is started while the lock is held ("child <pid>"). The probe then holds
// its claim until its input ends.
#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/os/instance_lock.h"

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    const bool folder = std::string(argv[1]) == "--folder";
    if (folder && argc != 3) {
        return 2;
    }
    auto folders = os::InstanceFolders::FromEnvironment();
    if (argc >= 3) {
        folders.fallbackParent = argv[2];
    }
    const auto lock =
        folder ? os::InstanceLock::ClaimFolder(argv[2]) : os::InstanceLock::Claim(argv[1], folders);
    switch (lock.Verdict()) {
        case os::InstanceVerdict::First:
            std::printf("first %s\n", lock.LockPath().c_str());
            break;
        case os::InstanceVerdict::Another:
            std::printf("another\n");
            break;
        case os::InstanceVerdict::Failed:
            std::printf("failed %s\n", lock.Reason().c_str());
            break;
    }
    if (argc >= 4) {
        pid_t child = -1;
        if (posix_spawn(&child, argv[3], nullptr, nullptr, argv + 3, environ) == 0) {
            std::printf("child %d\n", static_cast<int>(child));
        }
    }
    std::fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    return 0;
}
