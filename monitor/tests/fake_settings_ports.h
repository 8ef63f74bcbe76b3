#pragma once

#include <memory>
#include <string>
#include <vector>

#include "monitor/settings_dialog_model.h"

namespace monitor::testing {

// Ports that only record, for the settings window's tests and screenshots.
struct FakeSettingsPorts : SettingsPorts {
    bool ProgrammaAanwezig(const std::string&, const std::string&) override { return false; }
    bool AgentBestaat() override { return agent; }
    bool AgentStarten() override { return agent = true; }
    void AgentUitzetten() override { agent = false; }
    std::string AgentNaam() override { return "Robby"; }
    void AgentSpreek(const std::string& text, int, const std::string&,
                     const std::string&) override {
        gesproken.push_back(text);
    }
    void AgentVerbergen() override {}
    void AgentKiesKarakter() override {}
    void AgentEigenschappen() override {}
    bool OutlookGekoppeld() override { return outlook; }
    void OutlookAankoppelen() override { outlook = true; }
    void OutlookAfkoppelen() override { outlook = false; }
    void OutlookTools() override { ++tools; }
    void FoongrepStatus(std::function<void(std::vector<std::string>)> klaar) override {
        klaar({"Foongrep versie 1.0", "Database: 2026"});
    }
    CapiVersie CapiInfo() override { return capi; }
    void StartRegel(const std::string& regel) override { gestart.push_back(regel); }
    bool Speel(const std::string& pad) override {
        gespeeld.push_back(pad);
        return true;
    }
    std::unique_ptr<os::SoundRecorder> Recorder(const std::string&) override {
        auto r = std::make_unique<os::FakeSoundRecorder>();
        recorder = r.get();
        return r;
    }

    bool agent = false, outlook = false;
    int tools = 0;
    std::vector<std::string> gesproken, gestart, gespeeld;
    CapiVersie capi{true, 0, 2, 0, 1, 7, ""};
    os::FakeSoundRecorder* recorder = nullptr;
};

}  // namespace monitor::testing
