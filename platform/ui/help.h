#pragma once

namespace ui {

// Where help requests go; the program installs its help window, tests a recorder.
class HelpViewer {
  public:
    virtual ~HelpViewer() = default;
    virtual void ShowContext(int context) = 0;
};

// Shows the help of `context` in the installed viewer; without a viewer nothing happens.
void ShowHelpContext(int context);
// Installs `viewer` (nullptr: none) and returns the one it replaces.
HelpViewer* SetHelpViewer(HelpViewer* viewer);

}  // namespace ui
