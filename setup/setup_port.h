#pragma once

#include <string>

namespace setup {

// What the installation asks of the main form: memo lines, the progress bar, boxes and
// questions. The forms answer through the dialog service; tests record and script.
class SetupPort {
  public:
    virtual ~SetupPort() = default;

    virtual void Line(const std::string& text) = 0;
    virtual void ProgressMax(int maximum) = 0;
    virtual void ProgressStep() = 0;
    // Lets the window paint during a long step.
    virtual void Pump() {}

    virtual void ErrorBox(const std::string& text) = 0;
    virtual void Message(const std::string& text) = 0;
    // A Yes/No question; true unless the answer was No.
    virtual bool AskYesNo(const std::string& text) = 0;
    // An error box with Yes and Cancel; true unless the answer was Cancel.
    virtual bool AskErrorYesCancel(const std::string& text) = 0;

    // The memo's whole text, for the error log.
    virtual std::string MemoText() const = 0;
    // Shows the main form again at the end of a run, Start disabled, with the two labels.
    virtual void ShowEnding(const std::string& label1, const std::string& label2) = 0;
    // The installed program started: the setup ends.
    virtual void CloseMain() = 0;
};

// The claim of the installation folder an update holds, so that neither a monitor from that
// folder nor another setup of it runs meanwhile.
class InstanceClaim {
  public:
    virtual ~InstanceClaim() = default;
    // Without waiting; false when another process holds `folder`.
    virtual bool TryClaim(const std::string& folder) = 0;
    virtual void Release() = 0;
};

// A point where a test may stop the process ("backup", "copy", "record").
void SetSetupStepHook(void (*hook)(const char* step));
void SetupStep(const char* step);

}  // namespace setup
