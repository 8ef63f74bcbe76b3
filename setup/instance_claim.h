#pragma once

#include <optional>

#include "platform/os/instance_lock.h"
#include "setup/setup_port.h"

namespace setup {

// The monitor's own single-instance lock: while the setup holds it, the monitor cannot start,
// and a running monitor (or another setup) keeps the setup out.
class MonitorInstanceClaim : public InstanceClaim {
  public:
    bool TryClaim() override;
    void Release() override { lock_.reset(); }

  private:
    std::optional<os::InstanceLock> lock_;
};

}  // namespace setup
