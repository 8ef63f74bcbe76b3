#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace outlook {

// What tells one version of a file from another without reading it.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t mtimeNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of a file, nullopt when it is not there.
std::optional<FileStamp> StampOf(const std::string& path);

// The file's bytes and the stamp of exactly those bytes; nullopt when it cannot be read.
struct StampedContent {
    std::string bytes;
    FileStamp stamp;
};
std::optional<StampedContent> ReadStamped(const std::string& path);

// Writes the file whole or not at all: a temporary file in the same folder (mode 0600),
// synced, then renamed over `path`, and the folder synced. With `mustBeNew` an existing file
// of that name is never replaced. Returns the new file's stamp; raises EAutomationError and
// leaves the old file as it was on any failure.
FileStamp WriteStoredFile(const std::string& path, std::string_view bytes, bool mustBeNew);

// For tests: called after the temporary file is synced and before the rename; throwing from
// it stands for a stop at that moment.
void SetBeforeRenameHook(std::function<void()> hook);

// Makes the folder and its parents, and the folder itself mode 0700; raises
// EAutomationError when it cannot.
void MakePrivateFolder(const std::string& path);

}  // namespace outlook
