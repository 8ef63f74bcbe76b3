#pragma once

#include <functional>
#include <memory>

#include "monitor/settings_dialog_model.h"

namespace monitor {

class DirectoryLookup;
class LookupView;

// The CAPI binding's version, or its status text when it is not loaded (nothing is called then).
CapiVersie LeesCapiVersie();

// Where "Outlook Tools" opens the contacts window; the program sets it once that window exists.
void SetOutlookToolsOpener(std::function<void()> opener);

// The settings dialog's ports on the running program: the program lookup, the speaking
// character, the Outlook link, the shared directory runner, the CAPI binding, the command
// starter, the sound player and the recorder of the settings.
class ProgramSettingsPorts : public SettingsPorts {
  public:
    ProgramSettingsPorts();
    ~ProgramSettingsPorts() override;

    bool ProgrammaAanwezig(const std::string& folder, const std::string& naam) override;
    bool AgentBestaat() override;
    bool AgentStarten() override;
    void AgentUitzetten() override;
    std::string AgentNaam() override;
    void AgentSpreek(const std::string& text, int taal, const std::string& animVoor,
                     const std::string& animNa) override;
    void AgentVerbergen() override;
    void AgentKiesKarakter() override;
    void AgentEigenschappen() override;
    bool OutlookGekoppeld() override;
    void OutlookAankoppelen() override;
    void OutlookAfkoppelen() override;
    void OutlookTools() override;
    void FoongrepStatus(std::function<void(std::vector<std::string>)> klaar) override;
    CapiVersie CapiInfo() override { return LeesCapiVersie(); }
    void StartRegel(const std::string& regel) override;
    bool Speel(const std::string& pad) override;
    std::unique_ptr<os::SoundRecorder> Recorder(const std::string& opdracht) override;

  private:
    std::unique_ptr<LookupView> view_;
    std::unique_ptr<DirectoryLookup> lookup_;
};

}  // namespace monitor
