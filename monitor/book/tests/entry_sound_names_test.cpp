// The names an entry's sound gets and how a chosen file reaches the sound folder.

#include "monitor/book/entry_sound_names.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/rtl/program_folder.h"

namespace book {
namespace {

namespace fs = std::filesystem;

TEST(FragmentName, IsNummerMadeSafeAndFittingGeluid) {
    struct Case {
        std::string nummer;
        std::string name;
    };
    const Case cases[] = {
        {"0201234567", "0201234567.wav"},
        {"020-1234567", "020-1234567.wav"},
        {"+31201234567", "+31201234567.wav"},
        // A "/" would write outside the sound folder.
        {"06/1234", "06_1234.wav"},
        {"../../x", "______x.wav"},
        {"?", "_.wav"},
        {" 0201234567 ", "0201234567.wav"},
        {"020 123", "020_123.wav"},
        // One "_" per character, not per byte.
        {"Müller", "M_ller.wav"},
        // Cut so that the name with ".wav" fits the field's 20 characters.
        {"123456789012345678", "1234567890123456.wav"},
        {"", ""},
        {"   ", ""},
    };
    for (const Case& c : cases) {
        const std::string name = FragmentName(c.nummer);
        EXPECT_EQ(name, c.name) << "'" << c.nummer << "'";
        EXPECT_LE(name.size(), kGeluidWidth);
    }
}

TEST(CheckChosenWave, RefusesWhatGeluidCannotHoldOrPlay) {
    struct Case {
        std::string path;
        std::string name;
        std::string refusal;  // empty: accepted
    };
    const Case cases[] = {
        {"/home/u/bel.wav", "bel.wav", ""},
        {"/home/u/BEL.WAV", "BEL.WAV", ""},
        {"/home/u/twintig-tekens-.wav", "twintig-tekens-.wav", ""},
        {"/home/u/x.mp3", "x.mp3", "FOUT: .mp3 is geen 'wav' bestand "},
        {"/home/u/wav", "wav", "FOUT:  is geen 'wav' bestand "},
        {"/home/u/vijfentwintig-tekens.wav", "vijfentwintig-tekens.wav",
         "De bestandsnaam \"vijfentwintig-tekens.wav\" is langer dan 20 tekens; kies een "
         "kortere naam."},
        // Windows-1252 holds "é" in one character; a name of twenty of them still fits.
        {"/home/u/één.wav", "één.wav", ""},
        {"/home/u/ĳs.wav", "ĳs.wav",
         "De bestandsnaam \"ĳs.wav\" bevat tekens die niet opgeslagen kunnen worden; kies een "
         "andere naam."},
        {std::string("/home/u/\xff.wav"), "\xff.wav",
         "De bestandsnaam \"\xff.wav\" bevat tekens die niet opgeslagen kunnen worden; kies een "
         "andere naam."},
    };
    for (const Case& c : cases) {
        const ChosenWave chosen = CheckChosenWave(c.path);
        EXPECT_EQ(chosen.name, c.name) << c.path;
        EXPECT_EQ(chosen.refusal, c.refusal) << c.path;
    }
}

class SoundFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "entry-sound-XXXXXX").string();
        root = std::string(mkdtemp(pattern.data())) + "/";
        rtl::SetProgramDir(root);
        fs::create_directories(root + "elders");
    }
    void TearDown() override {
        rtl::SetProgramDir("");
        std::error_code ec;
        fs::permissions(root, fs::perms::owner_all, ec);
        fs::remove_all(root, ec);
    }
    void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::set<std::string> Folder() {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(SoundFolder())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
    std::string root;
};

TEST_F(SoundFolderTest, TheSoundFolderLiesBelowTheProgramFolder) {
    EXPECT_EQ(SoundFolder(), root + "geluid/");
}

TEST_F(SoundFolderTest, PlaceTellsTheFoldersOwnFileFromAFileOfTheSameName) {
    fs::create_directories(SoundFolder());
    Write(SoundFolder() + "bel.wav", "RIFF-bel");
    Write(root + "elders/bel.wav", "RIFF-ander");
    Write(root + "elders/Hoorn.wav", "RIFF-hoorn");
    Write(SoundFolder() + "HOORN.WAV", "RIFF-oud");

    // The folder's own file, reached by another spelling of its path.
    EXPECT_TRUE(
        PlaceInSoundFolder(root + "geluid/../geluid/bel.wav", SoundFolder(), "bel.wav").inFolder);
    fs::create_symlink(root + "geluid", root + "koppeling");
    EXPECT_TRUE(PlaceInSoundFolder(root + "koppeling/bel.wav", SoundFolder(), "bel.wav").inFolder);

    const SoundFolderPlace same =
        PlaceInSoundFolder(root + "elders/bel.wav", SoundFolder(), "bel.wav");
    EXPECT_FALSE(same.inFolder);
    EXPECT_EQ(same.existing, SoundFolder() + "bel.wav");
    // A name taken in another case counts as taken, as a call finds its sound without case.
    const SoundFolderPlace other =
        PlaceInSoundFolder(root + "elders/Hoorn.wav", SoundFolder(), "Hoorn.wav");
    EXPECT_FALSE(other.inFolder);
    EXPECT_EQ(other.existing, SoundFolder() + "HOORN.WAV");
    const SoundFolderPlace fresh =
        PlaceInSoundFolder(root + "elders/nieuw.wav", SoundFolder(), "nieuw.wav");
    EXPECT_FALSE(fresh.inFolder);
    EXPECT_EQ(fresh.existing, "");
}

TEST_F(SoundFolderTest, CopyMakesTheFolderAndLeavesOneFileOfTheName) {
    Write(root + "elders/Hoorn.wav", "RIFF-hoorn");
    std::string reason;
    // The folder does not exist yet.
    ASSERT_TRUE(
        CopyIntoSoundFolder(root + "elders/Hoorn.wav", SoundFolder(), "Hoorn.wav", "", reason))
        << reason;
    EXPECT_EQ(Read(SoundFolder() + "Hoorn.wav"), "RIFF-hoorn");

    // An overwrite of a file named in another case replaces it.
    fs::remove(SoundFolder() + "Hoorn.wav");
    Write(SoundFolder() + "HOORN.WAV", "RIFF-oud");
    ASSERT_TRUE(CopyIntoSoundFolder(root + "elders/Hoorn.wav", SoundFolder(), "Hoorn.wav",
                                    SoundFolder() + "HOORN.WAV", reason))
        << reason;
    EXPECT_EQ(Folder(), std::set<std::string>{"Hoorn.wav"});
    EXPECT_EQ(Read(SoundFolder() + "Hoorn.wav"), "RIFF-hoorn");

    // An empty file is copied as it is.
    Write(root + "elders/stil.wav", "");
    EXPECT_TRUE(
        CopyIntoSoundFolder(root + "elders/stil.wav", SoundFolder(), "stil.wav", "", reason))
        << reason;
    EXPECT_TRUE(fs::exists(SoundFolder() + "stil.wav"));
}

TEST_F(SoundFolderTest, AFailedCopyKeepsTheOldFileWholeAndSaysWhy) {
    fs::create_directories(SoundFolder());
    Write(SoundFolder() + "bel.wav", "RIFF-oud");
    std::string reason;
    EXPECT_FALSE(
        CopyIntoSoundFolder(root + "elders/weg.wav", SoundFolder(), "bel.wav", "", reason));
    EXPECT_NE(reason.find("No such file"), std::string::npos) << reason;
    EXPECT_EQ(Read(SoundFolder() + "bel.wav"), "RIFF-oud");
    EXPECT_EQ(Folder(), std::set<std::string>{"bel.wav"});

    if (::geteuid() != 0) {
        // A folder that takes no new files: the temporary file cannot be made.
        Write(root + "elders/bel.wav", "RIFF-nieuw");
        fs::permissions(SoundFolder(), fs::perms::owner_read | fs::perms::owner_exec);
        reason.clear();
        EXPECT_FALSE(
            CopyIntoSoundFolder(root + "elders/bel.wav", SoundFolder(), "bel.wav", "", reason));
        EXPECT_NE(reason.find("Permission denied"), std::string::npos) << reason;
        fs::permissions(SoundFolder(), fs::perms::owner_all);
        EXPECT_EQ(Read(SoundFolder() + "bel.wav"), "RIFF-oud");
        EXPECT_EQ(Folder(), std::set<std::string>{"bel.wav"});
    }
}

}  // namespace
}  // namespace book
