#pragma once

#include <string>

namespace setup {

// The reason a copy gives when the disk is full.
inline constexpr const char* kDiskFullText = "de schijf is vol";

// Copies `from` to `to`, overwriting, with the source's mode bits, or `mode` when it is not 0.
// False with the reason in `error` on failure (kDiskFullText for a full disk).
bool CopyFileKeepingMode(const std::string& from, const std::string& to, unsigned mode,
                         std::string& error);

// Whether the file system of `folder` has (nearly) no room left: what a write that failed there
// for no reason it gave most likely met.
bool DiskNearlyFull(const std::string& folder);

// Makes `target`/backup as a new, empty folder: one that exists already becomes backup.N (the
// lowest free N), whose name goes to `aside` when asked. False with the reason on failure.
bool FreshBackupFolder(const std::string& target, std::string& error, std::string* aside = nullptr);

}  // namespace setup
