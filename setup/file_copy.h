#pragma once

#include <string>

namespace setup {

// Copies `from` to `to`, overwriting, with the source's mode bits, or `mode` when it is not 0.
// False with the reason in `error` on failure.
bool CopyFileKeepingMode(const std::string& from, const std::string& to, unsigned mode,
                         std::string& error);

// Makes `target`/backup as a new, empty folder: one that exists already becomes backup.N (the
// lowest free N). False with the reason on failure.
bool FreshBackupFolder(const std::string& target, std::string& error);

}  // namespace setup
