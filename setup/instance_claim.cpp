#include "setup/instance_claim.h"

namespace setup {

bool ProgramFolderClaim::TryClaim(const std::string& folder) {
    lock_.reset();
    os::InstanceLock lock = os::InstanceLock::ClaimFolder(folder);
    if (!lock.IsFirst()) {
        return false;
    }
    lock_ = std::move(lock);
    return true;
}

}  // namespace setup
