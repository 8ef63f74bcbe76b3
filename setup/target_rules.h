#pragma once

#include <string>

namespace setup {

enum class TargetKind { FirstInstall, Update, Refused };

// What the directory form shows for a chosen folder.
struct TargetJudgement {
    TargetKind kind = TargetKind::Refused;
    std::string label;  // the kind label
    bool okEnabled = false;
};

// An installation there is an update when the folder holds the program file `belverin`. The
// setup's own folder (by any path to it), the root, and a path a desktop entry cannot start a
// program from (a "%", a control character, bytes that are not UTF-8) are refused.
TargetJudgement JudgeTarget(const std::string& folder, const std::string& setupDir);

}  // namespace setup
