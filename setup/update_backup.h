#pragma once

#include <string>

namespace setup {

// The backup folder of one update run. Made fresh, an earlier backup moved aside to backup.N;
// marked as this run's until the run commits, so that a run that fails, or a next run after one
// that was stopped, takes it away again and puts the earlier backup back: a retry needs no more
// room than the first try.
class UpdateBackup {
  public:
    static constexpr const char* kMarkerName = ".belverin-setup-onaf";

    // `target` ends with "/".
    explicit UpdateBackup(std::string target);

    // target/backup/, empty; an unfinished run's backup is undone first. False with the reason.
    bool Make(std::string& error);
    std::string Folder() const { return target_ + "backup/"; }
    // The update is about to be moved into place: a stop from now on leaves the backup, which
    // is the old installation's.
    bool Keep(std::string& error);
    // The run failed before its move began: its backup goes and the earlier one, if any, is back
    // under its name.
    void Undo() noexcept;

  private:
    std::string target_;
    std::string aside_;
    bool made_ = false;
};

// Takes away the backup an unfinished update run left, putting the earlier one back; nothing
// when target/backup is not such a backup. False with the reason.
bool UndoUnfinishedBackup(const std::string& target, std::string& error);

}  // namespace setup
