#pragma once

#include <optional>
#include <string>

#include "platform/os/instance_lock.h"
#include "setup/setup_port.h"

namespace setup {

// The lock a running monitor holds on its own program folder: a monitor running from the folder
// keeps the setup out, whatever its session or runtime folder, and while the setup holds it no
// monitor starts from there. Monitors of other folders are none of its business.
class ProgramFolderClaim : public InstanceClaim {
  public:
    bool TryClaim(const std::string& folder) override;
    void Release() override { lock_.reset(); }

  private:
    std::optional<os::InstanceLock> lock_;
};

}  // namespace setup
