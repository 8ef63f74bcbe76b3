#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace setup {

inline constexpr int kSlots = 20;

// Install codes of a listed file.
inline constexpr int kCodeProgram = 0;  // installed, backed up and replaced on an update
inline constexpr int kCodeSound = 1;    // into geluid/ on a first installation only
inline constexpr int kCodeKeep = 2;     // installed once, backed up on an update

struct InstallEntry {
    int slot = 0;  // 1..20
    std::string name;
    int code = 0;
};

// setup.ini: the version text and the named slots in slot order.
struct InstallList {
    std::string versie = "onbekende versie";
    std::vector<InstallEntry> entries;
    bool fileFound = false;
};

InstallList ReadInstallList(const std::string& iniPath);

// The program file's entry under its shipping name "belverin.ex~", in any case.
bool IsShippedProgram(std::string_view name);
// The name a listed file is installed and backed up under.
std::string InstalledName(std::string_view name);
// A name that stays inside its folder: no "/" or "\", not "." or "..", no control character.
bool IsSafeName(std::string_view name);

// The listed file in `setupDir`, found without regard to case.
std::string SourcePath(const std::string& setupDir, std::string_view name);

// What the main form shows about the list at start.
struct ListCheck {
    std::vector<bool> present;  // per entry
    bool startEnabled = false;
    std::string label1;  // empty: the label keeps its text
    std::string label2;
};
ListCheck CheckInstallList(const InstallList& list, const std::string& setupDir);

}  // namespace setup
