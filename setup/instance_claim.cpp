#include "setup/instance_claim.h"

namespace setup {

namespace {

// The monitor's application title, which names its lock.
constexpr const char* kMonitorTitle = "Belverin";

}  // namespace

bool MonitorInstanceClaim::TryClaim() {
    if (lock_) {
        return true;
    }
    os::InstanceLock lock = os::InstanceLock::Claim(kMonitorTitle);
    if (!lock.IsFirst()) {
        return false;
    }
    lock_ = std::move(lock);
    return true;
}

}  // namespace setup
