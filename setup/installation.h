#pragma once

#include <string>

#include "setup/install_list.h"
#include "setup/setup_port.h"

namespace setup {

// Where files come from and go to: folders with a trailing "/".
struct InstallContext {
    std::string setupDir;
    std::string target;
    InstallList list;
};

// Copies the listed files into an empty or new installation folder; the program file last and
// only when everything else succeeded. A file it overwrites is first copied to backup/.
bool EersteInstallatie(const InstallContext& context, SetupPort& port);

// The result of an update: `ok`, or why not; `backupFailed` when no backup folder could be made
// (nothing was touched then).
struct UpdateResult {
    bool ok = false;
    bool backupFailed = false;
};

// Backs the installed files up into a fresh backup/ folder, stages the new files and carries the
// old tables' records into the staged tables; only when every step succeeded are the staged files
// moved into place. Any failure leaves the installation as it was.
UpdateResult UpdateInstallation(const InstallContext& context, SetupPort& port);

}  // namespace setup
