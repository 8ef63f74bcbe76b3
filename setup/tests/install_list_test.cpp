#include "setup/install_list.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "setup/target_rules.h"
#include "setup/tests/setup_fixture.h"

namespace setup::testing {
namespace {

namespace fs = std::filesystem;

struct ListCase {
    const char* what;
    const char* ini;  // nullptr: no setup.ini
    std::vector<std::string> files;
    std::vector<std::string> names;  // read from the list, in slot order
    bool startEnabled;
    const char* label2;
};

using InstallListTest = SetupTest;

TEST_F(InstallListTest, StartIsOfferedOnlyForACompleteSafeList) {
    const std::vector<ListCase> cases = {
        {"slots 1 and 5 only",
         "[bestanden]\nf1=a.txt\nfcode1=0\nf5=b.wav\nfcode5=1\n",
         {"a.txt", "b.wav"},
         {"a.txt", "b.wav"},
         true,
         "Alle bestanden zijn aanwezig"},
        {"found without regard to case",
         "[bestanden]\nf1=Belverin.EX~\n",
         {"BELVERIN.ex~"},
         {"Belverin.EX~"},
         true,
         "Alle bestanden zijn aanwezig"},
        {"no setup.ini",
         nullptr,
         {"a.txt"},
         {},
         false,
         "FOUT: setup.ini ontbreekt of noemt geen bestanden"},
        {"no names",
         "[algemeen]\nversie=1\n[bestanden]\nfcode1=0\n",
         {},
         {},
         false,
         "FOUT: setup.ini ontbreekt of noemt geen bestanden"},
        {"a missing file",
         "[bestanden]\nf1=a.txt\nf2=weg.txt\n",
         {"a.txt"},
         {"a.txt", "weg.txt"},
         false,
         "FOUT: Niet alle bestanden zijn aanwezig"},
        {"slash",
         "[bestanden]\nf1=../a.txt\n",
         {},
         {"../a.txt"},
         false,
         "FOUT: ongeldige naam in setup.ini: ../a.txt"},
        {"dot dot",
         "[bestanden]\nf1=a.txt\nf2=..\n",
         {"a.txt"},
         {"a.txt", ".."},
         false,
         "FOUT: ongeldige naam in setup.ini: .."},
        {"backslash",
         "[bestanden]\nf1=geluid\\a.wav\n",
         {},
         {"geluid\\a.wav"},
         false,
         "FOUT: ongeldige naam in setup.ini: geluid\\a.wav"},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(setupDir);
        fs::create_directories(setupDir);
        if (c.ini != nullptr) {
            Write(setupDir + "setup.ini", c.ini);
        }
        for (const std::string& file : c.files) {
            Write(setupDir + file, "x");
        }
        const InstallList list = ReadInstallList(setupDir + "setup.ini");
        std::vector<std::string> names;
        for (const InstallEntry& entry : list.entries) {
            names.push_back(entry.name);
        }
        EXPECT_EQ(names, c.names);
        const ListCheck check = CheckInstallList(list, setupDir);
        EXPECT_EQ(check.startEnabled, c.startEnabled);
        EXPECT_EQ(check.label2, c.label2);
        EXPECT_EQ(check.label1,
                  c.startEnabled ? "" : "Druk op \"Sluiten\" om de Setup af te breken");
    }
}

TEST_F(InstallListTest, SlotsCodesAndVersion) {
    Write(setupDir + "setup.ini",
          "[algemeen]\nversie=3.1 "
          "beta\n[bestanden]\nf20=z.wav\nfcode20=1\nf2=a\nfcode2=x\nf21=te.veel\n");
    const InstallList list = ReadInstallList(setupDir + "setup.ini");
    ASSERT_EQ(list.entries.size(), 2u);
    EXPECT_EQ(list.entries[0].slot, 2);
    EXPECT_EQ(list.entries[0].code, 0);  // a bad number is code 0
    EXPECT_EQ(list.entries[1].slot, 20);
    EXPECT_EQ(list.entries[1].code, 1);
    EXPECT_EQ(list.versie, "3.1 beta");
    EXPECT_EQ(ReadInstallList(root + "geen.ini").versie, "onbekende versie");
}

TEST(InstalledName, TheShippedProgramInAnyCaseBecomesBelverin) {
    for (const char* name : {"belverin.ex~", "BELVERIN.EX~", "Belverin.Ex~"}) {
        EXPECT_TRUE(IsShippedProgram(name)) << name;
        EXPECT_EQ(InstalledName(name), "belverin");
    }
    EXPECT_EQ(InstalledName("belverin.exe"), "belverin.exe");
    EXPECT_EQ(InstalledName("Belverintel.DBF"), "Belverintel.DBF");
}

using TargetRulesTest = SetupTest;

TEST_F(TargetRulesTest, TheSetupFolderTheRootAndUnstartablePathsAreRefused) {
    fs::create_directories(root + "a");
    fs::create_directory_symlink(setupDir, root + "link");
    fs::create_directories(root + "pro%cent");
    fs::create_directories(root + "tab\tje");
    fs::create_directories(root + std::string("bad\xe9"));
    fs::create_directories(root + "oud");
    Write(root + "oud/belverin", "x");
    struct Case {
        std::string folder;
        TargetKind kind;
        const char* label;
    };
    const char* refused = "Geen installatie mogelijk in deze Directory";
    for (const Case& c : {
             Case{setupDir, TargetKind::Refused, refused},
             Case{root + "link", TargetKind::Refused, refused},
             Case{root + "dist/../dist", TargetKind::Refused, refused},
             Case{"/", TargetKind::Refused, refused},
             Case{root + "pro%cent", TargetKind::Refused, refused},
             Case{root + "tab\tje", TargetKind::Refused, refused},
             Case{root + "bad\xe9", TargetKind::Refused, refused},
             Case{root + "a/../a", TargetKind::FirstInstall, "Eerste installatie"},
             Case{root + "oud", TargetKind::Update, "Update  (note: backup wordt gemaakt)"},
         }) {
        SCOPED_TRACE(c.folder);
        const TargetJudgement judgement = JudgeTarget(c.folder, setupDir);
        EXPECT_EQ(judgement.kind, c.kind);
        EXPECT_EQ(judgement.label, c.label);
        EXPECT_EQ(judgement.okEnabled, c.kind != TargetKind::Refused);
    }
}

}  // namespace
}  // namespace setup::testing
