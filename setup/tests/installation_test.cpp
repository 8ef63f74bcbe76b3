#include "setup/installation.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/os/staged_swap.h"
#include "platform/os/tests/child_pipe.h"
#include "setup/file_copy.h"
#include "setup/instance_claim.h"
#include "setup/setup_flow.h"
#include "setup/tests/setup_fixture.h"
#include "setup/update_backup.h"
#include "xbase/engine_api.h"

namespace setup::testing {
namespace {

namespace fs = std::filesystem;

// Runs a program with arguments, no shell; its exit status.
int RunProgram(std::vector<std::string> argv) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (std::string& a : argv) {
            args.push_back(a.data());
        }
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int CheckCarried(const std::string& oldTable, const std::string& newTable,
                 const std::string& renamed = "") {
    std::vector<std::string> argv = {"/usr/bin/python3", CHECK_CARRIED_SCRIPT, oldTable, newTable};
    if (!renamed.empty()) {
        argv.push_back(renamed);
    }
    return RunProgram(argv);
}

// A copy that the file system cuts short (here a file-size limit, as a full disk does) is a
// failure and leaves no partial file that would pass for the program.
TEST(FileCopy, ACopyCutShortIsAFailureAndLeavesNothing) {
    std::string pattern = fs::temp_directory_path() / "file-copy-XXXXXX";
    const std::string dir = std::string(mkdtemp(pattern.data())) + "/";
    std::ofstream(dir + "bron", std::ios::binary) << std::string(1 << 20, 'x');
    const pid_t child = fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const bool copied = CopyFileKeepingMode(dir + "bron", dir + "doel", 0, error);
        _exit(copied ? 1 : (fs::exists(dir + "doel") ? 2 : (error.empty() ? 3 : 0)));
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: reported as copied, 2: partial file left, 3: no reason";

    std::string error;
    EXPECT_TRUE(CopyFileKeepingMode(dir + "bron", dir + "heel", 0, error)) << error;
    EXPECT_EQ(fs::file_size(dir + "heel"), 1u << 20);
    fs::remove_all(dir);
}

class InstallationTest : public SetupTest {
  protected:
    void SetUp() override {
        SetupTest::SetUp();
#ifndef REAL_ENGINE_PATH
        GTEST_SKIP() << "the build has no engine library";
#endif
    }

    // The whole run as the forms drive it: choose `folder`, OK.
    bool RunSetup(const std::string& folder, std::deque<bool> answers,
                  InstanceClaim* withClaim = nullptr) {
        port = RecordingPort();
        port.answers = std::move(answers);
        SetupFlow flow(setupDir, port, withClaim != nullptr ? *withClaim : claim, Home(),
                       [this](const std::string& program) {
                           started.push_back(program);
                           return true;
                       });
        EXPECT_TRUE(flow.Check().startEnabled) << flow.Check().label2;
        flow.ChooseTarget(folder);
        return flow.Confirm();
    }

    void InstallFirstVersion() {
        WriteDistribution(StandardFiles("programma 1"), "1.0");
        ASSERT_TRUE(RunSetup(target, {false, false, false}));
        ASSERT_EQ(port.endings.back(),
                  "Druk op \"Sluiten\" om de Setup te sluiten | Alles is goed verlopen");
    }

    // Old-layout tables in the installation: a phone book without ZOEKSTATUS and a call log
    // with Gegevens in place of naam; every seventh record deleted.
    void FillOldTables(int phoneRecords, int logRecords) {
        for (const char* file :
             {"belverintel.DBF", "belverintel.FPT", "belverinlog.DBF", "belverinlog.FPT"}) {
            fs::remove(target + file);
        }
        CreateTable(target + "belverintel.DBF",
                    {"NUMMER:C:20", "VOORNAAM:C:20", "NAAM:C:150", "AANHANGSEL:C:15", "STRAAT:C:50",
                     "POSTCODE:C:7", "PLAATS:C:50", "EXTRA:C:50", "AFWIJZEN:C:10", "GELUID:C:20",
                     "TIJD:C:10", "CMDLINE:C:100", "KLEUR:C:20", "FONTKLEUR:C:20", "OMSCHR:C:50",
                     "MEMO:M"});
        CreateTable(target + "belverinlog.DBF",
                    {"DATUM:C:10", "TIJD:C:10", "NUMMER:C:20", "GEGEVENS:C:150", "MSN:C:15",
                     "SOORT:C:25", "MEMO:M"});
        const xbase::EngineApi& e = library->Api();
        auto fill = [&](const std::string& table, int count, bool phoneBook) {
            ASSERT_NE(e.sx_Use(table.c_str(), nullptr, SX_EXCLUSIVE, SX_FOX), 0)
                << e.sx_LastErrorText();
            for (int i = 0; i < count; ++i) {
                ASSERT_EQ(e.sx_AppendEx(), 0);
                const std::string n = std::to_string(i);
                // Windows-1252: e-diaeresis and the euro sign; a full-width name every 10th.
                const std::string naam =
                    i % 10 == 0 ? std::string(150, '\xeb') : "  Jans\xebn \x80" + n + " \x81";
                std::string memo;
                if (i % 2000 == 1) {
                    memo = std::string(100000, '\x80');
                } else if (i % 3 == 0) {
                    memo = "memo \xeb " + n + "\r\nregel 2";
                }
                e.sx_Replace("NUMMER", SX_R_CHAR, ("06" + n).c_str());
                e.sx_Replace(phoneBook ? "NAAM" : "GEGEVENS", SX_R_CHAR, naam.c_str());
                e.sx_Replace(phoneBook ? "PLAATS" : "MSN", SX_R_CHAR, " Zwolle");
                if (!memo.empty()) {
                    e.sx_Replace("MEMO", SX_R_MEMO, memo.c_str());
                }
                if (i % 7 == 3) {
                    e.sx_Delete();
                }
            }
            e.sx_Commit();
            e.sx_Close();
        };
        fill(target + "belverintel.DBF", phoneRecords, true);
        fill(target + "belverinlog.DBF", logRecords, false);
    }

    // The first lines that hold `part`, for a failure's message.
    bool HasLineWith(const std::string& part) const {
        return std::any_of(port.lines.begin(), port.lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }

    bool Failed() const {
        return port.endings.back() ==
               "Druk op \"Sluiten\" om de Setup af te breken | Er zijn fouten opgetreden";
    }

    std::vector<std::string> started;
};

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

TEST_F(InstallationTest, FirstInstallationCopiesEverythingAndNoStillMakesTheMenuEntry) {
    WriteDistribution(StandardFiles("programma 1"), "1.0");
    ASSERT_TRUE(RunSetup(target, {false, false, false}));

    Files expected;
    for (const Listed& file : StandardFiles("programma 1")) {
        expected[(file.code == 1 ? "geluid/" : "") + file.name] = Read(setupDir + file.name);
    }
    EXPECT_EQ(Tree(target), expected);
    struct stat program {};
    ASSERT_EQ(stat((target + "belverin").c_str(), &program), 0);
    EXPECT_EQ(program.st_mode & 07777, 0755u);
    EXPECT_TRUE(Has(port.lines, "Directory \"Geluid\" gemaakt "));
    EXPECT_TRUE(Has(port.lines, "bel.wav gekopieerd"));
    EXPECT_EQ(port.lines.back(), "belverin Gekopieerd");  // the program last
    EXPECT_EQ(port.boxes,
              (std::vector<std::string>{
                  "ask: Shortcut maken in de Startup folder?\rPAS OP: de evt. aanwezige "
                  "snelkoppeling wordt overschreven",
                  "ask: Shortcut toevoegen/maken op de Desktop?",
                  "ask: Alles is goed verlopen\rBelverin meteen opstarten?"}));
    // The menu entry shows the program's icon, installed beside it, under the telephony menu.
    const std::string entry = root + "home/.local/share/applications/belverin/Belverin-1.0.desktop";
    const std::string text = Read(entry);
    EXPECT_NE(text.find("\nIcon=" + target + "belverin.svg\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nCategories=Network;Telephony;\n"), std::string::npos) << text;
    EXPECT_EQ(RunProgram({"/usr/bin/desktop-file-validate", entry}), 0) << text;
    EXPECT_FALSE(fs::exists(root + "home/.config/autostart"));
    EXPECT_TRUE(started.empty());

    // The shipped tables are read by another DBF reader.
    EXPECT_EQ(CheckCarried(setupDir + "belverintel.DBF", target + "belverintel.DBF"), 0);
}

TEST_F(InstallationTest, YesMakesEveryShortcutAndStartsTheProgram) {
    WriteDistribution(StandardFiles("p"), "1.0");
    fs::create_directories(target + "geluid");
    fs::create_directories(root + "home/Bureaublad");
    fs::create_directories(root + "home/.config");
    Write(root + "home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureaublad\"\n");
    ASSERT_TRUE(RunSetup(target, {true, true, true}));
    EXPECT_FALSE(Has(port.lines, "Directory \"Geluid\" gemaakt "));
    EXPECT_TRUE(fs::exists(root + "home/.config/autostart/Belverin.desktop"));
    EXPECT_TRUE(fs::exists(root + "home/Bureaublad/Belverin-1.0.desktop"));
    EXPECT_EQ(started, std::vector<std::string>{target + "belverin"});
    EXPECT_TRUE(port.closed);
}

TEST_F(InstallationTest, FirstInstallationFailureKeepsTheProgramOutAndSavesTheLog) {
    WriteDistribution(StandardFiles("p"), "1.0");
    // The engine cannot be read: a folder stands in its place.
    fs::remove(setupDir + "libxbase32.so");
    fs::create_directories(setupDir + "libxbase32.so");
    Write(target + "leesmij.txt", "van de gebruiker");
    ASSERT_TRUE(RunSetup(target, {true}));
    EXPECT_FALSE(fs::exists(target + "belverin"));
    EXPECT_TRUE(Has(port.lines, "FOUT bij kopieren van: libxbase32.so"));
    EXPECT_TRUE(Has(port.lines, "belverin niet gekopieerd wegens eerdere fouten"));
    EXPECT_EQ(port.endings.back(),
              "Druk op \"Sluiten\" om de Setup af te breken | Er zijn fouten opgetreden");
    EXPECT_EQ(Read(target + "backup/leesmij.txt"), "van de gebruiker");
    const std::string log = Read(setupDir + "Setup_fouten.txt");
    EXPECT_NE(log.find("FOUT bij kopieren van: libxbase32.so\n"), std::string::npos) << log;

    // A log that cannot be saved says so.
    fs::remove(setupDir + "Setup_fouten.txt");
    fs::create_directories(setupDir + "Setup_fouten.txt/x");
    ASSERT_TRUE(RunSetup(root + "ander", {true}));
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_EQ(
        port.boxes.back().rfind("error: Fout: Setup_fouten.txt kon niet worden opgeslagen: ", 0),
        0u)
        << port.boxes.back();
}

TEST_F(InstallationTest, UpdateCarriesEveryLiveRecordOverAndKeepsEarlierBackups) {
    InstallFirstVersion();
    FillOldTables(10000, 3000);
    fs::create_directories(target + "backup");
    Write(target + "backup/eerder.txt", "eerdere backup");
    const Files old = Tree(target);

    WriteDistribution(StandardFiles("programma 2"), "2.0");
    ASSERT_TRUE(RunSetup(target, {false, false, false}));
    EXPECT_EQ(port.endings.back(),
              "Druk op \"Sluiten\" om de Setup te sluiten | Alles is goed verlopen");
    for (const char* line :
         {"Directory \"backup\" aangemaakt ", "belverin backup gemaakt",
          "belverintel.DBF geinstalleerd", "Logfile bijgewerkt", "Telefoonklapper bijgewerkt"}) {
        EXPECT_TRUE(Has(port.lines, line)) << line;
    }
    EXPECT_TRUE(Has(port.lines, "leesmij.txt backup gemaakt"));
    EXPECT_FALSE(Has(port.lines, "bel.wav backup gemaakt"));
    int live = 0;
    for (int i = 0; i < 10000; ++i) {
        live += i % 7 == 3 ? 0 : 1;
    }
    EXPECT_EQ(port.progressMax, live);  // the phone book's live records
    EXPECT_EQ(port.progress, port.progressMax);
    EXPECT_FALSE(claim.held);

    EXPECT_EQ(Read(target + "belverin"), "programma 2");
    EXPECT_EQ(Read(target + "backup/belverin"), "programma 1");
    EXPECT_EQ(Read(target + "backup.1/eerder.txt"), "eerdere backup");
    for (const char* file : {"belverintel.DBF", "belverintel.FPT", "belverinlog.DBF"}) {
        EXPECT_EQ(Read(target + "backup/" + file), old.at(file)) << file;
    }
    EXPECT_EQ(CheckCarried(target + "backup/belverintel.DBF", target + "belverintel.DBF"), 0);
    EXPECT_EQ(CheckCarried(target + "backup/belverinlog.DBF", target + "belverinlog.DBF",
                           "NAAM=GEGEVENS"),
              0);
    EXPECT_FALSE(fs::exists(target + std::string(os::StagedSwap::kStagingName)));
}

TEST_F(InstallationTest, AFailedUpdateLeavesTheInstallationAsItWas) {
    InstallFirstVersion();
    FillOldTables(50, 20);
    WriteDistribution(StandardFiles("programma 2"), "2.0");

    struct Case {
        const char* what;
        std::function<void()> spoil;
        const char* line;
    };
    const std::vector<Case> cases = {
        {"a copy fails",
         [&] {
             fs::remove(setupDir + "libxbase32.so");
             fs::create_directories(setupDir + "libxbase32.so");
         },
         "FOUT bij installeren: libxbase32.so"},
        {"an old table does not open", [&] { Write(target + "belverinlog.DBF", "geen tabel"); },
         "FOUT: Logfile bijwerken"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteDistribution(StandardFiles("programma 2"), "2.0");
        c.spoil();
        const Files before = Tree(target);
        ASSERT_TRUE(RunSetup(target, {false}));
        EXPECT_TRUE(Has(port.lines, c.line));
        // Each line that reads as done is taken back after the unchanged line.
        const auto& lines = port.lines;
        const auto unchanged =
            std::find(lines.begin(), lines.end(), "De oude installatie is ongewijzigd");
        ASSERT_NE(unchanged, lines.end());
        int taken = 0;
        for (auto line = lines.begin(); line != unchanged; ++line) {
            for (const std::string done : {" bijgewerkt", " geinstalleerd"}) {
                if (line->size() > done.size() && line->ends_with(done) &&
                    line->rfind("FOUT", 0) != 0) {
                    const std::string back = line->substr(0, line->size() - done.size()) + " niet" +
                                             done + " (teruggedraaid)";
                    EXPECT_NE(std::find(unchanged, lines.end(), back), lines.end()) << back;
                    ++taken;
                }
            }
        }
        EXPECT_TRUE(Has(lines, "Telefoonklapper niet bijgewerkt (teruggedraaid)"));
        EXPECT_GE(taken, 2);
        EXPECT_EQ(port.endings.back(),
                  "Druk op \"Sluiten\" om de Setup af te breken | Er zijn fouten opgetreden");
        EXPECT_EQ(Tree(target), before);
        EXPECT_FALSE(claim.held);
        fs::remove_all(setupDir + "libxbase32.so");
    }
}

TEST_F(InstallationTest, AnUpdateWaitsForTheRunningProgram) {
    InstallFirstVersion();
    WriteDistribution(StandardFiles("programma 2"), "2.0");
    const Files before = Tree(target, true);
    claim.heldElsewhere = true;
    EXPECT_FALSE(RunSetup(target, {}));
    EXPECT_EQ(port.boxes,
              std::vector<std::string>{std::string("message: ") + SetupFlow::kLockedText});
    EXPECT_TRUE(port.lines.empty());
    EXPECT_TRUE(Tree(target, true) == before);
}

// A monitor running from the folder holds its lock whatever its runtime folder: the update waits;
// one running from another folder is none of this update's business.
TEST_F(InstallationTest, AMonitorOfThisFolderInAnotherRuntimeFolderKeepsTheUpdateOut) {
    InstallFirstVersion();
    WriteDistribution(StandardFiles("programma 2"), "2.0");
    const Files before = Tree(target, true);
    fs::create_directories(root + "runtime-elders");
    ProgramFolderClaim folderClaim;
    auto monitor = [&](const std::string& folder) {
        return std::make_unique<os::testing::ChildPipe>(
            std::vector<std::string>{BELVERIN_LOCK_PROBE, "--folder", folder},
            std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", root + "runtime-elders"}});
    };
    {
        auto running = monitor(target);
        ASSERT_EQ(running->ReadLine().value_or("").rfind("first ", 0), 0u);
        EXPECT_FALSE(RunSetup(target, {}, &folderClaim));
        EXPECT_EQ(port.boxes,
                  std::vector<std::string>{std::string("message: ") + SetupFlow::kLockedText});
        EXPECT_TRUE(port.lines.empty());
        EXPECT_TRUE(Tree(target, true) == before);
    }
    fs::create_directories(root + "ander");
    auto elsewhere = monitor(root + "ander");
    ASSERT_EQ(elsewhere->ReadLine().value_or("").rfind("first ", 0), 0u);
    ASSERT_TRUE(RunSetup(target, {false, false, false}, &folderClaim));
    EXPECT_FALSE(Failed()) << Lines(port.lines);
    EXPECT_EQ(Read(target + "belverin"), "programma 2");
}

// An old table that holds less than it says fails the whole update: the old folder, earlier
// backup included, is as it was, and the log names the table and what is wrong.
TEST_F(InstallationTest, ADamagedOldTableFailsTheUpdateAndLeavesTheFolderByteEqual) {
    InstallFirstVersion();
    FillOldTables(2000, 1000);
    fs::create_directories(target + "backup");
    Write(target + "backup/eerder.txt", "eerdere backup");
    const std::string pristine = root + "ongerept/";
    fs::copy(target, pristine, fs::copy_options::recursive);

    struct Case {
        const char* what;
        std::function<void()> spoil;
        const char* kept;    // the line the damaged table must not get
        const char* failed;  // its FOUT line
        std::string says;    // in the line that names what is wrong
    };
    const std::vector<Case> cases = {
        {"the phone book's header overwritten",
         [&] {
             std::mt19937 random(45);
             std::string garbage(32, '\0');
             for (char& c : garbage) {
                 c = static_cast<char>(random());
             }
             std::fstream f(target + "belverintel.DBF",
                            std::ios::in | std::ios::out | std::ios::binary);
             f.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
         },
         "Telefoonklapper bijgewerkt", "FOUT: Telefoonklapper bijwerken",
         "De oude belverintel.dbf is beschadigd"},
        {"the call log cut",
         [&] {
             fs::resize_file(target + "belverinlog.DBF",
                             fs::file_size(target + "belverinlog.DBF") * 3 / 5);
         },
         "Logfile bijgewerkt", "FOUT: Logfile bijwerken",
         "De oude belverinlog.dbf is beschadigd: het bestand is afgekapt: de kop telt 1000 "
         "records, het bestand bevat er "},
        {"the phone book's memo file cut",
         [&] {
             fs::resize_file(target + "belverintel.FPT",
                             fs::file_size(target + "belverintel.FPT") / 2);
         },
         "Telefoonklapper bijgewerkt", "FOUT: Telefoonklapper bijwerken",
         "De oude belverintel.dbf is beschadigd: het memo van record "},
    };
    WriteDistribution(StandardFiles("programma 2"), "2.0");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(target);
        fs::copy(pristine, target, fs::copy_options::recursive);
        c.spoil();
        const Files before = Tree(target, true);
        ASSERT_TRUE(RunSetup(target, {false}));
        EXPECT_TRUE(Failed());
        EXPECT_FALSE(Has(port.lines, c.kept)) << Lines(port.lines);
        EXPECT_TRUE(Has(port.lines, c.failed)) << Lines(port.lines);
        EXPECT_TRUE(HasLineWith(c.says)) << Lines(port.lines);
        EXPECT_TRUE(Has(port.lines, "De oude installatie is ongewijzigd"));
        EXPECT_TRUE(Tree(target, true) == before);
        EXPECT_FALSE(fs::exists(target + std::string(os::StagedSwap::kStagingName)));
    }
}

// A table whose backup failed is not carried over, and never called updated; a table the old
// installation lacks has nothing to carry.
TEST_F(InstallationTest, OnlyACarriedTableIsCalledUpdated) {
    InstallFirstVersion();
    FillOldTables(30, 20);
    WriteDistribution(StandardFiles("programma 2"), "2.0");
    fs::remove(target + "belverintel.DBF");
    fs::create_directories(target + "belverintel.DBF");  // cannot be copied
    const Files before = Tree(target, true);
    ASSERT_TRUE(RunSetup(target, {false}));
    EXPECT_TRUE(Failed());
    EXPECT_TRUE(Has(port.lines, "FOUT bij backup maken: belverintel.DBF"));
    EXPECT_TRUE(Has(port.lines, "FOUT: Telefoonklapper bijwerken")) << Lines(port.lines);
    EXPECT_FALSE(Has(port.lines, "Telefoonklapper bijgewerkt")) << Lines(port.lines);
    EXPECT_TRUE(Tree(target, true) == before);

    fs::remove_all(target + "belverintel.DBF");
    fs::remove(target + "belverintel.FPT");
    ASSERT_TRUE(RunSetup(target, {false, false, false}));
    EXPECT_FALSE(Failed()) << Lines(port.lines);
    EXPECT_TRUE(Has(port.lines, "Telefoonklapper: geen oude tabel om over te nemen"));
    EXPECT_FALSE(Has(port.lines, "Telefoonklapper bijgewerkt"));
    EXPECT_TRUE(Has(port.lines, "Logfile bijgewerkt"));
}

// Old tables named in upper case are carried over, and replaced: one copy of each stays,
// under the name the monitor opens.
TEST_F(InstallationTest, OldTablesInUpperCaseAreReplacedNotKeptBeside) {
    InstallFirstVersion();
    FillOldTables(40, 30);
    for (const char* name :
         {"belverintel.DBF", "belverintel.FPT", "belverinlog.DBF", "belverinlog.FPT"}) {
        std::string upper = name;
        std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
        fs::rename(target + name, target + upper);
    }
    WriteDistribution(StandardFiles("programma 2"), "2.0");
    ASSERT_TRUE(RunSetup(target, {false, false, false}));
    EXPECT_FALSE(Failed()) << Lines(port.lines);
    std::vector<std::string> tables;
    for (const auto& entry : fs::directory_iterator(target)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".DBF") != std::string::npos || name.find(".FPT") != std::string::npos ||
            name.find(".dbf") != std::string::npos || name.find(".fpt") != std::string::npos) {
            tables.push_back(name);
        }
    }
    std::sort(tables.begin(), tables.end());
    EXPECT_EQ(tables, (std::vector<std::string>{"belverinlog.DBF", "belverinlog.FPT",
                                                "belverintel.DBF", "belverintel.FPT"}));
    EXPECT_EQ(CheckCarried(target + "backup/belverintel.DBF", target + "belverintel.DBF"), 0);
    EXPECT_EQ(CheckCarried(target + "backup/belverinlog.DBF", target + "belverinlog.DBF",
                           "NAAM=GEGEVENS"),
              0);
}

// On a disk too small for the update, the update fails saying so and takes away what it made,
// so that freeing the space it lacked is enough for the retry.
TEST_F(InstallationTest, ARetryAfterAFullDiskSucceedsOnceTheMissingSpaceIsFree) {
    const std::string disk = root + "schijf/";
    fs::create_directories(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=48m") != 0) {
        GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
    }
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{disk};
    target = disk + "doel/";
    fs::create_directories(target);
    InstallFirstVersion();
    FillOldTables(6000, 4000);
    WriteDistribution(StandardFiles("programma 2"), "2.0");

    auto freeSpace = [&] {
        struct statvfs st {};
        ::statvfs(disk.c_str(), &st);
        return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
    };
    // The room an update takes at its fullest: its backup and the staged files beside the old.
    auto onDisk = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_blocks) * 512 : 0;
    };
    const std::string pristine = root + "ongerept/";
    fs::copy(target, pristine, fs::copy_options::recursive);
    ASSERT_TRUE(RunSetup(target, {false, false, false}));
    ASSERT_FALSE(Failed()) << Lines(port.lines);
    std::uint64_t needed = 0;
    for (const auto& entry : fs::directory_iterator(target + "backup")) {
        needed += onDisk(entry.path().string());
    }
    for (const Listed& file : StandardFiles("")) {
        needed += file.code == 0 ? onDisk(target + file.name) : 0;
    }
    fs::remove_all(target);
    fs::copy(pristine, target, fs::copy_options::recursive);
    const Files before = Tree(target, true);

    // Fill the disk so that the update lacks a part of what it needs.
    const std::uint64_t lacking = needed / 3;
    const std::string filler = disk + "vulling";
    ASSERT_GT(freeSpace(), needed);
    const std::uint64_t fill = freeSpace() - (needed - lacking);
    {
        std::ofstream out(filler, std::ios::binary);
        const std::string block(1 << 20, 'v');
        for (std::uint64_t n = 0; n < fill; n += block.size()) {
            out.write(block.data(), static_cast<std::streamsize>(
                                        std::min<std::uint64_t>(block.size(), fill - n)));
        }
    }
    ASSERT_TRUE(RunSetup(target, {false}));
    EXPECT_TRUE(Failed());
    EXPECT_TRUE(HasLineWith("FOUT: de schijf van " + target + " is vol")) << Lines(port.lines);
    EXPECT_TRUE(Tree(target, true) == before);
    EXPECT_FALSE(fs::exists(target + std::string(os::StagedSwap::kStagingName)));

    // Free what was lacking, and a little.
    fs::resize_file(filler, fs::file_size(filler) - lacking - (2u << 20));
    ASSERT_TRUE(RunSetup(target, {false, false, false}));
    EXPECT_FALSE(Failed()) << Lines(port.lines);
    EXPECT_TRUE(Has(port.lines, "Telefoonklapper bijgewerkt"));
    EXPECT_EQ(Read(target + "belverin"), "programma 2");
    EXPECT_FALSE(fs::exists(target + "backup.1"));
}

// A run stopped before its move leaves a backup marked as its own: the next run takes it away
// and puts the earlier backup back before it makes its own.
TEST_F(InstallationTest, AStoppedRunsBackupIsTakenAwayByTheNextRun) {
    InstallFirstVersion();
    fs::create_directories(target + "backup");
    Write(target + "backup/eerder.txt", "eerdere backup");
    WriteDistribution(StandardFiles("programma 2"), "2.0");
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        SetSetupStepHook([](const char* step) {
            if (std::strcmp(step, "copy") == 0) {
                _exit(9);
            }
        });
        RunSetup(target, {false, false, false});
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 9);
    ASSERT_TRUE(fs::exists(target + "backup/" + UpdateBackup::kMarkerName));
    ASSERT_EQ(Read(target + "backup.1/eerder.txt"), "eerdere backup");

    ASSERT_TRUE(RunSetup(target, {false, false, false}));
    EXPECT_FALSE(Failed()) << Lines(port.lines);
    EXPECT_EQ(Read(target + "backup.1/eerder.txt"), "eerdere backup");
    EXPECT_FALSE(fs::exists(target + "backup.2"));
    EXPECT_FALSE(fs::exists(target + "backup/" + UpdateBackup::kMarkerName));
    EXPECT_EQ(Read(target + "backup/belverin"), "programma 1");
}

// The update in a child that ends at one of its steps; after the recovery the folder, backups
// aside, is the old installation or the new one.
TEST_F(InstallationTest, AStopAtAnyStepRecoversToTheOldOrTheNewInstallation) {
    InstallFirstVersion();
    FillOldTables(1200, 600);
    WriteDistribution(StandardFiles("programma 2"), "2.0");
    const Files oldTree = Tree(target);
    const std::string pristine = root + "ongerept/";
    fs::copy(target, pristine, fs::copy_options::recursive);

    static const char* stopStep = nullptr;
    static int stopCount = 0;
    auto runChild = [&](const char* step, int count) {
        fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            stopStep = step;
            stopCount = count;
            SetSetupStepHook([](const char* s) {
                if (stopStep != nullptr && std::strcmp(s, stopStep) == 0 && --stopCount == 0) {
                    _exit(9);
                }
            });
            os::SetSwapStepHook([](std::string_view s) {
                if (stopStep != nullptr && s == stopStep && --stopCount == 0) {
                    _exit(9);
                }
            });
            RunSetup(target, {false, false, false});
            _exit(port.endings.empty() ||
                          port.endings.back().find("Alles is goed") == std::string::npos
                      ? 1
                      : 0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    auto restore = [&] {
        fs::remove_all(target);
        fs::copy(pristine, target, fs::copy_options::recursive);
    };

    ASSERT_EQ(runChild(nullptr, 0), 0);
    const Files newTree = Tree(target);
    ASSERT_NE(newTree, oldTree);

    struct Stop {
        const char* step;
        int count;
        bool expectNew;
    };
    for (const Stop& stop :
         {Stop{"backup", 1, false}, Stop{"copy", 3, false}, Stop{"record", 1, false},
          Stop{"journal", 1, true}, Stop{"rename", 1, true}, Stop{"rename", 4, true}}) {
        SCOPED_TRACE(std::string(stop.step) + " " + std::to_string(stop.count));
        restore();
        ASSERT_EQ(runChild(stop.step, stop.count), 9);
        os::FinishStagedSwap(target);
        EXPECT_TRUE(Tree(target) == (stop.expectNew ? newTree : oldTree));
        EXPECT_FALSE(fs::exists(target + std::string(os::StagedSwap::kStagingName)));
    }
}

}  // namespace
}  // namespace setup::testing
