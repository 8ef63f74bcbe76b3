#include "setup/installation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/os/staged_swap.h"
#include "platform/rtl/program_folder.h"
#include "setup/carry_over.h"
#include "setup/file_copy.h"
#include "setup/update_backup.h"

namespace setup {

namespace fs = std::filesystem;

namespace {

constexpr unsigned kProgramMode = 0755;

bool IsProgram(const InstallEntry& entry) {
    return InstalledName(entry.name) == "belverin";
}

unsigned ModeFor(const InstallEntry& entry) {
    return IsProgram(entry) ? kProgramMode : 0;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return text;
}

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && Lower(text.substr(text.size() - end.size())) == end;
}

// A first installation copies a file over an existing one only after keeping the old one.
class OverwriteGuard {
  public:
    explicit OverwriteGuard(std::string target) : target_(std::move(target)) {}

    bool Keep(const std::string& path, const std::string& name, std::string& error) {
        if (!Exists(path)) {
            return true;
        }
        if (!made_) {
            if (!FreshBackupFolder(target_, error)) {
                return false;
            }
            made_ = true;
        }
        return CopyFileKeepingMode(path, target_ + "backup/" + name, 0, error);
    }

  private:
    std::string target_;
    bool made_ = false;
};

bool InstallOne(const std::string& from, const std::string& folder, const InstallEntry& entry,
                OverwriteGuard& guard) {
    const std::string name = InstalledName(entry.name);
    const std::string to = folder + name;
    std::string error;
    return guard.Keep(to, name, error) && CopyFileKeepingMode(from, to, ModeFor(entry), error);
}

// Memo files go in before their tables, the program last.
int SwapRank(const std::string& name) {
    if (name == "belverin") {
        return 3;
    }
    if (EndsWith(name, ".fpt")) {
        return 1;
    }
    return EndsWith(name, ".dbf") ? 2 : 0;
}

const InstallEntry* ReplacedTable(const InstallList& list, std::string_view table) {
    for (const InstallEntry& entry : list.entries) {
        if (entry.code == kCodeProgram && Lower(entry.name) == table) {
            return &entry;
        }
    }
    return nullptr;
}

std::string DiskFullLine(const std::string& target) {
    return "FOUT: de schijf van " + target +
           " is vol. Maak ruimte vrij en start de Setup opnieuw; de oude installatie is bewaard.";
}

}  // namespace

bool EersteInstallatie(const InstallContext& context, SetupPort& port) {
    bool ok = true;
    OverwriteGuard guard(context.target);
    const InstallEntry* program = nullptr;
    for (const InstallEntry& entry : context.list.entries) {
        if (entry.code != kCodeProgram && entry.code != kCodeKeep) {
            continue;
        }
        if (IsProgram(entry)) {
            program = &entry;
            continue;
        }
        if (InstallOne(SourcePath(context.setupDir, entry.name), context.target, entry, guard)) {
            port.Line(entry.name + " Gekopieerd");
        } else {
            port.Line("FOUT bij kopieren van: " + entry.name);
            ok = false;
        }
    }

    const std::string geluid = context.target + "geluid";
    if (!Exists(geluid)) {
        if (::mkdir(geluid.c_str(), 0755) != 0) {
            port.Line("FOUT bij maken directory \"Geluid\" ");
            ok = false;
        }
        if (Exists(geluid)) {
            port.Line("Directory \"Geluid\" gemaakt ");
        }
    }
    const std::string sounds = geluid + "/";
    for (const InstallEntry& entry : context.list.entries) {
        if (entry.code != kCodeSound) {
            continue;
        }
        std::string error;
        const std::string to = sounds + InstalledName(entry.name);
        if (CopyFileKeepingMode(SourcePath(context.setupDir, entry.name), to, 0, error)) {
            port.Line(entry.name + " gekopieerd");
        } else {
            port.Line("FOUT bij kopieren van: " + entry.name);
            ok = false;
        }
    }

    if (program != nullptr) {
        if (!ok) {
            port.Line(program->name + " niet gekopieerd wegens eerdere fouten");
        } else if (InstallOne(SourcePath(context.setupDir, program->name), context.target, *program,
                              guard)) {
            port.Line(program->name + " Gekopieerd");
        } else {
            port.Line("FOUT bij kopieren van: " + program->name);
            ok = false;
        }
    }
    return ok;
}

UpdateResult UpdateInstallation(const InstallContext& context, SetupPort& port) {
    UpdateResult result;
    const std::string& target = context.target;
    UpdateBackup backupFolder(target);
    const std::string backup = backupFolder.Folder();
    std::string error;
    if (!backupFolder.Make(error)) {
        port.Line("FOUT bij maken directory \"backup\" ");
        if (error == kDiskFullText) {
            port.Line(DiskFullLine(target));
        }
        result.backupFailed = true;
        return result;
    }
    port.Line("Directory \"backup\" aangemaakt ");

    bool ok = true;
    bool diskFull = false;
    // A failed copy says why when the disk was full: that is the user's to mend.
    auto copyFailed = [&](const std::string& line) {
        port.Line(line);
        if (error == kDiskFullText) {
            diskFull = true;
        }
        ok = false;
    };
    for (const InstallEntry& entry : context.list.entries) {
        if (entry.code == kCodeSound) {
            continue;
        }
        const std::string name = InstalledName(entry.name);
        const std::string installed = rtl::ResolveCaseInsensitive(target, name);
        if (!Exists(installed)) {
            port.Line(entry.name + " niet aanwezig, geen backup nodig");
        } else if (CopyFileKeepingMode(installed, backup + name, 0, error)) {
            port.Line(entry.name + " backup gemaakt");
        } else {
            copyFailed("FOUT bij backup maken: " + entry.name);
        }
    }
    SetupStep("backup");

    os::StagedSwap swap(target);
    std::vector<std::string> staged;
    // What went into the staging folder and is dropped with it is said to be undone, so that
    // no line above reads as done.
    std::vector<std::string> undone;
    try {
        swap.Prepare();
        for (const InstallEntry& entry : context.list.entries) {
            if (entry.code != kCodeProgram) {
                continue;
            }
            const std::string name = InstalledName(entry.name);
            if (CopyFileKeepingMode(SourcePath(context.setupDir, entry.name), swap.StagedPath(name),
                                    ModeFor(entry), error)) {
                port.Line(entry.name + " geinstalleerd");
                staged.push_back(name);
                undone.push_back(entry.name + " niet geinstalleerd (teruggedraaid)");
            } else {
                copyFailed("FOUT bij installeren: " + entry.name);
            }
            SetupStep("copy");
        }
    } catch (const std::exception& e) {
        port.Line(std::string("FOUT bij installeren: ") + e.what());
        diskFull = diskFull || DiskNearlyFull(target);
        ok = false;
    }

    const std::string stagingDir = swap.StagingFolder() + "/";
    struct Step {
        CarriedTable table;
        const char* good;
        const char* bad;
        const char* notKept;
        const char* nothing;
    };
    std::vector<Step> steps;
    if (const InstallEntry* log = ReplacedTable(context.list, "belverinlog.dbf")) {
        steps.push_back({CallLogTable(log->name), "Logfile bijgewerkt", "FOUT: Logfile bijwerken",
                         "Logfile niet bijgewerkt (teruggedraaid)",
                         "Logfile: geen oude tabel om over te nemen"});
    }
    if (const InstallEntry* tel = ReplacedTable(context.list, "belverintel.dbf")) {
        steps.push_back({PhoneBookTable(tel->name), "Telefoonklapper bijgewerkt",
                         "FOUT: Telefoonklapper bijwerken",
                         "Telefoonklapper niet bijgewerkt (teruggedraaid)",
                         "Telefoonklapper: geen oude tabel om over te nemen"});
    }
    for (const Step& step : steps) {
        // A table the old installation lacks has nothing to carry over; one it has but whose
        // backup failed is not carried.
        if (!Exists(rtl::ResolveCaseInsensitive(target, step.table.tableName))) {
            port.Line(step.nothing);
            continue;
        }
        std::string why;
        bool copied = false;
        if (Exists(backup + step.table.tableName)) {
            try {
                copied = CarryOver(step.table, backup, stagingDir, port, why);
            } catch (const std::exception& e) {
                why = e.what();
            }
        } else {
            why = "Geen backup van de oude " + step.table.messageName;
        }
        if (copied) {
            port.Line(step.good);
            undone.push_back(step.notKept);
        } else {
            port.Line(step.bad);
            if (!why.empty()) {
                port.Line(why);
            }
            diskFull = diskFull || DiskNearlyFull(target);
            ok = false;
        }
    }

    auto rolledBack = [&] {
        swap.Discard();
        backupFolder.Undo();
        port.Line("De oude installatie is ongewijzigd");
        for (const std::string& line : undone) {
            port.Line(line);
        }
        if (diskFull) {
            port.Line(DiskFullLine(target));
        }
    };
    if (ok && !backupFolder.Keep(error)) {
        port.Line("FOUT bij maken backup: " + error);
        ok = false;
    }
    if (ok) {
        std::stable_sort(
            staged.begin(), staged.end(),
            [](const std::string& a, const std::string& b) { return SwapRank(a) < SwapRank(b); });
        try {
            swap.Commit(staged);
        } catch (const std::exception& e) {
            port.Line(std::string("FOUT bij installeren: ") + e.what());
            ok = false;
            if (Exists(target + std::string(os::StagedSwap::kJournalName))) {
                port.Line("De update wordt afgemaakt bij de volgende start van Belverin of Setup");
            } else {
                diskFull = diskFull || DiskNearlyFull(target);
                rolledBack();
            }
        }
    } else {
        rolledBack();
    }
    result.ok = ok;
    return result;
}

}  // namespace setup
