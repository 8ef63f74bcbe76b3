#pragma once

#include <string>

#include "platform/ui/help.h"

namespace monitor {

// The program's help: the help file in the program folder, opened by the desktop; without one a
// notice that does not hold up the window that asked.
class ProgramHelp : public ui::HelpViewer {
  public:
    explicit ProgramHelp(std::string programDir) : programDir_(std::move(programDir)) {}
    void ShowContext(int context) override;

  private:
    std::string programDir_;
};

// "Geen help gevonden (onderwerp " + context + ").".
std::string NoHelpText(int context);

}  // namespace monitor
