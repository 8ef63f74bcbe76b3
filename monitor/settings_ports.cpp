#include "monitor/settings_ports.h"

#include "capi/capi_dll.h"
#include "capi/capi_texts.h"
#include "components/ms_agent.h"
#include "monitor/book/outlook_link.h"
#include "monitor/directory_lookup.h"
#include "monitor/directory_runner_qt.h"
#include "monitor/external_command.h"
#include "platform/os/program_lookup.h"
#include "platform/os/sound_player.h"
#include "platform/ui/dialogs.h"

namespace monitor {
namespace {

std::function<void()>& ToolsOpener() {
    static std::function<void()> opener;
    return opener;
}

// Without a monitor window the status test shows nothing there.
class GeenBeeld : public LookupView {
  public:
    void ShowImage(LookupImage) override {}
    void SetStatusMemo(const std::vector<std::string>&) override {}
    void Waarschuwing(const std::string& text) override {
        ui::dialogs().MessageDlg(text, ui::MsgDlgType::Warning, ui::mbOK);
    }
};

}  // namespace

CapiVersie LeesCapiVersie() {
    CapiVersie v;
    const int status = capi::CapiDllStatus();
    if (status != capi::kCapiDllInstalled) {
        v.status = capi::CapiDllStatusText(status);
        return v;
    }
    v.geladen = true;
    v.info =
        capi::CAPI_GET_VERSION(&v.capiMajor, &v.capiMinor, &v.fabrikantMajor, &v.fabrikantMinor);
    return v;
}

void SetOutlookToolsOpener(std::function<void()> opener) {
    ToolsOpener() = std::move(opener);
}

ProgramSettingsPorts::ProgramSettingsPorts()
    : view_(std::make_unique<GeenBeeld>()),
      lookup_(std::make_unique<DirectoryLookup>(SharedDirectoryRunner(), *view_)) {}

ProgramSettingsPorts::~ProgramSettingsPorts() = default;

bool ProgramSettingsPorts::ProgrammaAanwezig(const std::string& folder, const std::string& naam) {
    return os::FindProgram(folder + naam, programmadir()).has_value();
}

bool ProgramSettingsPorts::AgentBestaat() {
    return MsAgent != nullptr;
}
bool ProgramSettingsPorts::AgentStarten() {
    return StartMsAgent();
}
void ProgramSettingsPorts::AgentUitzetten() {
    if (MsAgent) {
        MsAgent->SwitchOff();
    }
    FreeMsAgent();
}
std::string ProgramSettingsPorts::AgentNaam() {
    return MsAgent ? MsAgent->GetCharacterName() : std::string();
}
void ProgramSettingsPorts::AgentSpreek(const std::string& text, int taal,
                                       const std::string& animVoor, const std::string& animNa) {
    if (MsAgent) {
        MsAgent->Speak(text, taal, 0, 0, animVoor, animNa, 0);
    }
}
void ProgramSettingsPorts::AgentVerbergen() {
    if (MsAgent) {
        MsAgent->HideCharacter();
    }
}
void ProgramSettingsPorts::AgentKiesKarakter() {
    if (MsAgent) {
        MsAgent->ChooseDefaultCharacter();
    }
}
void ProgramSettingsPorts::AgentEigenschappen() {
    if (MsAgent) {
        MsAgent->ShowPropertySheet();
    }
}

bool ProgramSettingsPorts::OutlookGekoppeld() {
    return outlookisgekoppeld();
}
void ProgramSettingsPorts::OutlookAankoppelen() {
    outlookaankoppelen();
}
void ProgramSettingsPorts::OutlookAfkoppelen() {
    outlookafkoppelen();
}
void ProgramSettingsPorts::OutlookTools() {
    if (ToolsOpener()) {
        ToolsOpener()();
    } else {
        ui::dialogs().ShowMessage("Outlook Tools is niet beschikbaar.");
    }
}

void ProgramSettingsPorts::FoongrepStatus(std::function<void(std::vector<std::string>)> klaar) {
    DirectoryLookup* monitor = MonitorLookup();
    (monitor != nullptr ? *monitor : *lookup_).Testfoongrepstatus(std::move(klaar));
}

void ProgramSettingsPorts::StartRegel(const std::string& regel) {
    StartArgumentLine(regel);
}

bool ProgramSettingsPorts::Speel(const std::string& pad) {
    return os::soundPlayer().PlayFile(pad, os::SND_ASYNC | os::SND_NODEFAULT);
}

std::unique_ptr<os::SoundRecorder> ProgramSettingsPorts::Recorder(const std::string& opdracht) {
    return std::make_unique<os::ProgramRecorder>(opdracht, programmadir());
}

}  // namespace monitor
