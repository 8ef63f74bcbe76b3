#pragma once

#include <string>
#include <string_view>

namespace os {

// Where the lock of one running copy lies: the user's runtime folder when it is a real folder of
// the user's with mode 0700, else `fallbackParent`/belverin-<uid>, made 0700 and refused unless it
// is such a folder. Empty with `reason` set when neither can be used.
struct InstanceFolders {
    std::string runtimeDir;               // $XDG_RUNTIME_DIR; empty: not set
    std::string fallbackParent = "/tmp";  // holds belverin-<uid>
    // The folders of this process's environment.
    static InstanceFolders FromEnvironment();
};
std::string ChooseInstanceFolder(const InstanceFolders& folders, std::string& reason);

// A stable name for an application title (the same in every process and every build), so that
// each title has its own lock and any program can claim a title's lock.
std::string InstanceName(std::string_view title);

enum class InstanceVerdict { First, Another, Failed };

// The claim of a title (or a program folder) for the life of this object: a file opened
// close-on-exec (a started program never inherits it) and held with an exclusive, non-blocking
// flock. The system frees it
// when the process ends, however it ends. Move-only.
class InstanceLock {
  public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    static InstanceLock Claim(std::string_view title,
                              const InstanceFolders& folders = InstanceFolders::FromEnvironment());

    // The claim of a program folder by the copy that runs from it: the lock is taken on the
    // folder itself, so that every process asking about that folder (another session, another
    // runtime folder, the setup) meets it, and none asking about another folder. Nothing is
    // written into the folder; only where its file system cannot lock a folder is the file
    // kFolderLockName in it locked instead. No socket.
    static constexpr std::string_view kFolderLockName = ".belverin-in-gebruik";
    static InstanceLock ClaimFolder(const std::string& folder);

    InstanceVerdict Verdict() const { return verdict_; }
    bool IsFirst() const { return verdict_ == InstanceVerdict::First; }
    // What failed, for the Failed verdict.
    const std::string& Reason() const { return reason_; }
    // The lock file; beside it the first copy's socket. Empty when no folder could be used.
    const std::string& LockPath() const { return lockPath_; }
    std::string SocketPath() const;

  private:
    void Release();
    // Takes the lock on `fd` (an open of `lockPath_`, or -1 with errno set) and keeps it, or
    // closes it; sets the verdict. False when the file system cannot lock it.
    bool Lock(int fd);

    int fd_ = -1;
    InstanceVerdict verdict_ = InstanceVerdict::Failed;
    std::string reason_;
    std::string lockPath_;
    std::string folder_;
    std::string name_;
};

}  // namespace os
