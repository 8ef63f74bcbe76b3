#pragma once

#include <cstdint>
#include <string>

namespace xb {

// An open file descriptor with whole-buffer positional reads and writes. Failures throw
// xb::Error naming the file.
class File {
  public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    ~File();

    // flags as for open(2); O_CLOEXEC is always added.
    static File Open(const std::string& path, int flags, int mode = 0644);

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    const std::string& Path() const { return path_; }

    // Records that the file now lies under another name (after a rename).
    void Renamed(std::string newPath) { path_ = std::move(newPath); }

    uint64_t Size() const;
    // Reads up to length bytes; returns how many the file held there.
    size_t ReadSome(uint64_t offset, void* buffer, size_t length) const;
    // Reads exactly length bytes or throws.
    void ReadExact(uint64_t offset, void* buffer, size_t length) const;
    void WriteAt(uint64_t offset, const void* buffer, size_t length);
    void Truncate(uint64_t size);
    // Flushes what this descriptor wrote since the last flush.
    void Sync();
    void Close();

  private:
    [[noreturn]] void Fail(const char* what) const;
    // How much of a write the simulated disk takes; errno tells why when less than length.
    size_t SimulatedRoom(uint64_t offset, size_t length) const;

    int fd_ = -1;
    std::string path_;
    bool unsynced_ = false;
};

// The reason for a failed system call in words, a full disk named as such.
std::string SystemErrorText(int error);

// For tests of failing writes: a disk with only `bytes` left for what the files grow by
// (-1: the real disk; writes where a file already reaches always fit, as on a real disk),
// and `writes` writes refused as a read-only disk refuses them (0: none) once `after` more
// have gone through. Each answers the count it replaced.
int64_t SimulateFreeSpace(int64_t bytes);
int64_t RefuseWrites(int64_t writes, int64_t after = 0);

// Path of the file whose name matches path's file name without regard to ASCII case, in
// path's directory; the exact name wins. Empty when there is none.
std::string FindFileIgnoringCase(const std::string& path);

bool FileExists(const std::string& path);

// Whether the name (still) shows the open file, and not another one renamed over it.
bool NamesSameFile(const File& file, const std::string& path);

// Flushes a directory so that renames in it survive a power loss.
void SyncDirectory(const std::string& dir);

std::string DirectoryOf(const std::string& path);  // "." when path has no directory
std::string FileNameOf(const std::string& path);

}  // namespace xb
