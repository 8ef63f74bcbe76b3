#pragma once

#include <string>

namespace book {

// What the phone-book core needs of the desktop: boxes, the splash's step line, the other
// windows and the cursor. The window connects it to the dialog service; tests record it.
class KlapperPort {
  public:
    virtual ~KlapperPort() = default;

    // A warning with Yes and Cancel; true for Yes.
    virtual bool AskYesCancel(const std::string& text) = 0;
    // An error box with OK.
    virtual void ErrorBox(const std::string& text) = 0;
    // A plain message box with OK.
    virtual void Message(const std::string& text) = 0;
    // The splash form's status line, repainted at once.
    virtual void SplashStep(const std::string& text) = 0;
    // Shows the monitor window again.
    virtual void ShowMonitor() = 0;
    // Closes (hides) the phone-book window.
    virtual void HideKlapper() = 0;
    // The hourglass cursor on or off.
    virtual void Busy(bool on) = 0;
    // The count label, the checked menu items or the filter caption changed.
    virtual void StateChanged() = 0;
};

}  // namespace book
