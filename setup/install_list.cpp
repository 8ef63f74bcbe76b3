#include "setup/install_list.h"

#include <unistd.h>

#include "platform/rtl/ini_file.h"
#include "platform/rtl/program_folder.h"

namespace setup {

InstallList ReadInstallList(const std::string& iniPath) {
    InstallList list;
    list.fileFound = ::access(iniPath.c_str(), R_OK) == 0;
    const rtl::TIniFile ini(iniPath);
    list.versie = ini.ReadString("algemeen", "versie", "onbekende versie");
    for (int slot = 1; slot <= kSlots; ++slot) {
        const std::string n = std::to_string(slot);
        std::string name = ini.ReadString("bestanden", "f" + n, "");
        if (name.empty()) {
            continue;
        }
        list.entries.push_back(
            {slot, std::move(name), ini.ReadInteger("bestanden", "fcode" + n, 0)});
    }
    return list;
}

bool IsShippedProgram(std::string_view name) {
    constexpr std::string_view shipped = "belverin.ex~";
    if (name.size() != shipped.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] + 32) : name[i];
        if (c != shipped[i]) {
            return false;
        }
    }
    return true;
}

std::string InstalledName(std::string_view name) {
    return IsShippedProgram(name) ? std::string("belverin") : std::string(name);
}

bool IsSafeName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (const char c : name) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

std::string SourcePath(const std::string& setupDir, std::string_view name) {
    return rtl::ResolveCaseInsensitive(setupDir, name);
}

ListCheck CheckInstallList(const InstallList& list, const std::string& setupDir) {
    ListCheck check;
    bool all = true;
    for (const InstallEntry& entry : list.entries) {
        const bool here =
            IsSafeName(entry.name) && ::access(SourcePath(setupDir, entry.name).c_str(), R_OK) == 0;
        check.present.push_back(here);
        all = all && here;
    }
    const std::string abort = "Druk op \"Sluiten\" om de Setup af te breken";
    if (list.entries.empty()) {
        check.label1 = abort;
        check.label2 = "FOUT: setup.ini ontbreekt of noemt geen bestanden";
        return check;
    }
    for (const InstallEntry& entry : list.entries) {
        if (!IsSafeName(entry.name)) {
            check.label1 = abort;
            check.label2 = "FOUT: ongeldige naam in setup.ini: " + entry.name;
            return check;
        }
    }
    if (!all) {
        check.label1 = abort;
        check.label2 = "FOUT: Niet alle bestanden zijn aanwezig";
        return check;
    }
    check.startEnabled = true;
    check.label2 = "Alle bestanden zijn aanwezig";
    return check;
}

}  // namespace setup
