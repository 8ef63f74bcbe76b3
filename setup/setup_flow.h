#pragma once

#include <functional>
#include <string>

#include "platform/os/xdg_folders.h"
#include "setup/install_list.h"
#include "setup/installation.h"
#include "setup/setup_port.h"
#include "setup/target_rules.h"

namespace setup {

// Starts the installed program; false when it could not be started.
using ProgramStarter = std::function<bool(const std::string& program)>;
ProgramStarter DetachedStarter();

// The setup's state and steps behind its two forms: the install list read at start, the chosen
// folder, the run and its ending with the shortcut questions.
class SetupFlow {
  public:
    SetupFlow(std::string setupDir, SetupPort& port, InstanceClaim& claim,
              os::XdgEnvironment env = os::XdgEnvironment::FromEnvironment(),
              ProgramStarter starter = DetachedStarter());

    const std::string& SetupDir() const { return setupDir_; }
    const InstallList& List() const { return list_; }
    const ListCheck& Check() const { return check_; }
    std::string Caption() const { return "Belverin Setup   " + list_.versie; }

    // The directory form's choice; remembered as the target.
    TargetJudgement ChooseTarget(const std::string& folder);
    const std::string& Target() const { return target_; }
    bool FirstInstall() const { return firstInstall_; }

    // OK on the directory form: false (the form stays) when an update cannot take the instance
    // claim; otherwise runs the installation through its ending and returns true.
    bool Confirm();

    static constexpr const char* kLockedText =
        "Belverin of een andere Setup is nog aktief.\rSluit die eerst en kies dan opnieuw OK.";

  private:
    void Goed();
    void Fout();
    void SaveLog();

    std::string setupDir_;
    SetupPort& port_;
    InstanceClaim& claim_;
    os::XdgEnvironment env_;
    ProgramStarter starter_;
    InstallList list_;
    ListCheck check_;
    std::string target_;
    std::string installDir_;
    bool firstInstall_ = false;
};

}  // namespace setup
