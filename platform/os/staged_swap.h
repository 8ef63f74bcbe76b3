#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace os {

// Files made ready in a staging folder inside `folder` and moved into place together: the
// staged files and a journal of the renames reach the disk first, so that a stop at any point
// leaves either the old files or a journal from which the move is finished.
class StagedSwap {
  public:
    static constexpr std::string_view kStagingName = ".belverin-setup-nieuw";
    static constexpr std::string_view kJournalName = ".belverin-setup-journaal";

    explicit StagedSwap(std::string folder);

    // An empty staging folder; one left over from an earlier run is removed first. Raises
    // rtl::EInOutError.
    void Prepare();
    std::string StagingFolder() const;
    std::string StagedPath(std::string_view name) const;

    // Moves the staged `names` into the folder in the given order (a memo file before its
    // table); a file of the folder whose name differs only in letter case goes. Raises
    // rtl::EInOutError; before the journal is on disk the folder is untouched.
    void Commit(const std::vector<std::string>& names);
    // Removes the staging folder; the folder keeps its old files.
    void Discard() noexcept;

  private:
    std::string folder_;
};

enum class SwapRecovery { Nothing, Finished, Dropped };

// Finishes a move whose journal is on disk, or drops a staging folder without one. Raises
// rtl::EInOutError when a rename fails.
SwapRecovery FinishStagedSwap(const std::string& folder);

// Called at each step of a commit ("journal", "rename"); tests stop the process there.
void SetSwapStepHook(std::function<void(std::string_view step)> hook);

}  // namespace os
