#include "setup/target_rules.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/rtl/text_encoding.h"

namespace setup {

namespace fs = std::filesystem;

namespace {

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

bool StartablePath(const std::string& path) {
    if (!rtl::IsValidUtf8(path)) {
        return false;
    }
    for (const char c : path) {
        if (c == '%' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

}  // namespace

TargetJudgement JudgeTarget(const std::string& folder, const std::string& setupDir) {
    TargetJudgement judgement;
    if (SameFolder(folder, setupDir) || SameFolder(folder, "/") || !StartablePath(folder)) {
        judgement.label = "Geen installatie mogelijk in deze Directory";
        return judgement;
    }
    judgement.okEnabled = true;
    std::string program = folder;
    if (program.empty() || program.back() != '/') {
        program += '/';
    }
    program += "belverin";
    if (::access(program.c_str(), F_OK) == 0) {
        judgement.kind = TargetKind::Update;
        judgement.label = "Update  (note: backup wordt gemaakt)";
    } else {
        judgement.kind = TargetKind::FirstInstall;
        judgement.label = "Eerste installatie";
    }
    return judgement;
}

}  // namespace setup
