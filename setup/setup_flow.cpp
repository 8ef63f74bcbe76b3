#include "setup/setup_flow.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "platform/os/process_start.h"
#include "platform/os/staged_swap.h"
#include "platform/rtl/whole_file.h"
#include "setup/shortcut.h"

namespace setup {

namespace {

const char* const kAbort = "Druk op \"Sluiten\" om de Setup af te breken";

}  // namespace

ProgramStarter DetachedStarter() {
    return [](const std::string& program) {
        std::error_code ec;
        const std::string here = std::filesystem::current_path(ec).string();
        return os::StartDetached({program}, here).Started();
    };
}

SetupFlow::SetupFlow(std::string setupDir, SetupPort& port, InstanceClaim& claim,
                     os::XdgEnvironment env, ProgramStarter starter)
    : setupDir_(std::move(setupDir)),
      port_(port),
      claim_(claim),
      env_(std::move(env)),
      starter_(std::move(starter)) {
    if (setupDir_.empty() || setupDir_.back() != '/') {
        setupDir_ += '/';
    }
    list_ = ReadInstallList(setupDir_ + "setup.ini");
    check_ = CheckInstallList(list_, setupDir_);
}

TargetJudgement SetupFlow::ChooseTarget(const std::string& folder) {
    target_ = folder;
    if (target_.empty() || target_.back() != '/') {
        target_ += '/';
    }
    TargetJudgement judgement = JudgeTarget(folder, setupDir_);
    firstInstall_ = judgement.kind == TargetKind::FirstInstall;
    return judgement;
}

bool SetupFlow::Confirm() {
    installDir_ = target_;
    const InstallContext context{setupDir_, target_, list_};
    if (firstInstall_) {
        if (EersteInstallatie(context, port_)) {
            Goed();
        } else {
            Fout();
        }
        return true;
    }

    if (!claim_.TryClaim(target_)) {
        port_.Message(kLockedText);
        return false;
    }
    try {
        // A move an earlier run left half done is finished before anything else.
        os::FinishStagedSwap(target_);
    } catch (const std::exception& e) {
        port_.Line(std::string("FOUT: ") + e.what());
        claim_.Release();
        Fout();
        return true;
    }
    const UpdateResult result = UpdateInstallation(context, port_);
    if (result.backupFailed) {
        port_.Message("FOUT: Kan geen \"backup directory maken!\rSetup wordt afgebroken");
        port_.ShowEnding(kAbort, "FOUT: Kan geen \"backup directory maken!");
    }
    if (result.ok) {
        Goed();
    } else {
        claim_.Release();
        Fout();
    }
    return true;
}

void SetupFlow::Goed() {
    port_.ShowEnding("Druk op \"Sluiten\" om de Setup te sluiten", "Alles is goed verlopen");
    const std::string program = installDir_ + "belverin";
    maakshortcut(program, "Belverin " + list_.versie, kShortcutPrograms, env_);
    // The monitor started below claims the instance for itself.
    claim_.Release();
    if (port_.AskYesNo(
            "Shortcut maken in de Startup folder?\rPAS OP: de evt. aanwezige snelkoppeling wordt "
            "overschreven") &&
        !maakshortcut(program, "Belverin", kShortcutStartup, env_)) {
        port_.Message("Fout: Shortcut is NIET aangemaakt");
    }
    if (port_.AskYesNo("Shortcut toevoegen/maken op de Desktop?") &&
        !maakshortcut(program, "Belverin " + list_.versie, kShortcutDesktop, env_)) {
        port_.Message("Fout: Shortcut is NIET aangemaakt");
    }
    if (port_.AskYesNo("Alles is goed verlopen\rBelverin meteen opstarten?")) {
        if (starter_(program)) {
            port_.CloseMain();
        } else {
            port_.Message("Fout bij aanroepen: " + program);
        }
    }
}

void SetupFlow::Fout() {
    port_.ShowEnding(kAbort, "Er zijn fouten opgetreden");
    if (port_.AskErrorYesCancel("Er zijn fouten opgetreden bij de installatie\rInstallatie log "
                                "opslaan als \"Setup_Fouten.txt\" ?")) {
        SaveLog();
    }
}

void SetupFlow::SaveLog() {
    try {
        std::string text = port_.MemoText();
        if (!text.empty() && text.back() != '\n') {
            text += '\n';
        }
        rtl::WriteWholeFileAtomically(setupDir_ + "Setup_fouten.txt", text);
    } catch (const std::exception& e) {
        port_.ErrorBox(std::string("Fout: Setup_fouten.txt kon niet worden opgeslagen: ") +
                       e.what());
    }
}

}  // namespace setup
