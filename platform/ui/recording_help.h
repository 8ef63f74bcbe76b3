#pragma once

#include <vector>

#include "platform/ui/help.h"

namespace ui {

// Records help requests while it lives.
class RecordingHelp : public HelpViewer {
  public:
    RecordingHelp() : previous_(SetHelpViewer(this)) {}
    ~RecordingHelp() override { SetHelpViewer(previous_); }
    RecordingHelp(const RecordingHelp&) = delete;
    RecordingHelp& operator=(const RecordingHelp&) = delete;
    void ShowContext(int context) override { contexts.push_back(context); }
    std::vector<int> contexts;

  private:
    HelpViewer* previous_;
};

}  // namespace ui
