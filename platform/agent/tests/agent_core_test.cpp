#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/agent/character_names.h"
#include "platform/agent/default_character.h"
#include "platform/agent/voices.h"
#include "platform/agent/wav_stream.h"

namespace {

TEST(Voices, EachLanguageIdHasItsVoice) {
    const struct {
        int id;
        const char* voice;
    } cases[] = {{1043, "nl"}, {2067, "nl"}, {1033, "en-us"}, {2057, "en-gb"}, {1031, "de"},
                 {1036, "fr"}, {0, "nl"},    {1040, "nl"},    {65535, "nl"}};
    for (const auto& c : cases) {
        EXPECT_EQ(agent::VoiceForLanguage(c.id), c.voice) << c.id;
    }
}

TEST(CharacterNames, AFileNamesItsCharacterByBaseName) {
    const struct {
        const char* file;
        const char* name;  // empty: none
    } cases[] = {{"merlin", "Merlin"},
                 {"/usr/share/chars/MERLIN.acs", "Merlin"},
                 {"C:\\Windows\\msagent\\chars\\peedy.acs", "Peedy"},
                 {"genie.x.y", "Genie"},
                 {"robby", "Robby"},
                 {"merlin2.acs", ""},
                 {"/merlin/other.acs", ""},
                 {"", ""}};
    for (const auto& c : cases) {
        const auto name = agent::CharacterForFile(c.file);
        EXPECT_EQ(name.value_or(""), c.name) << c.file;
    }
}

std::string Le32(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        s += static_cast<char>((v >> (8 * i)) & 0xff);
    }
    return s;
}

TEST(MendStreamedWav, SetsTheLengthsToTheBytesThere) {
    const std::string fmt = "fmt " + Le32(16) + std::string(16, '\1');
    const std::string list = "LIST" + Le32(3) + "abc" + std::string(1, '\0');  // odd: padded
    std::string wav = "RIFF" + Le32(0x7ffff024u) + "WAVE" + fmt + list + "data" +
                      Le32(0x7ffff000u) + std::string(10, '\2');

    ASSERT_TRUE(agent::MendStreamedWav(wav));

    EXPECT_EQ(wav.substr(4, 4), Le32(static_cast<std::uint32_t>(wav.size() - 8)));
    EXPECT_EQ(wav.substr(wav.size() - 14, 4), Le32(10));
}

TEST(MendStreamedWav, RefusesWhatIsNoWave) {
    const std::string noData = "RIFF" + Le32(4) + "WAVE" + "fmt " + Le32(16) + std::string(16, 0);
    const std::string runaway = "RIFF" + Le32(4) + "WAVE" + "junk" + Le32(0xfffffff0u) + "data";
    for (std::string bad : {std::string(), std::string("RIFF1234WAV"),
                            std::string("RIFX") + Le32(4) + "WAVE", noData, runaway}) {
        EXPECT_FALSE(agent::MendStreamedWav(bad)) << bad.size();
    }
}

class DefaultCharacterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() / ("agent-config-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(folder_);
    }
    std::filesystem::path folder_;
};

TEST_F(DefaultCharacterTest, RobbyUntilChosenThenTheChoice) {
    EXPECT_EQ(agent::DefaultCharacterPath(), (folder_ / "belverin/character").string());
    EXPECT_EQ(agent::ReadDefaultCharacter(), "Robby");

    agent::WriteDefaultCharacter("Genie");

    EXPECT_EQ(agent::ReadDefaultCharacter(), "Genie");
}

TEST_F(DefaultCharacterTest, AFileNamingNoCharacterCountsAsNone) {
    std::filesystem::create_directories(folder_ / "belverin");
    std::ofstream(folder_ / "belverin/character") << "Clippy\n";
    EXPECT_EQ(agent::ReadDefaultCharacter(), "Robby");
}

TEST_F(DefaultCharacterTest, ARelativeConfigFolderIsIgnored) {
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(agent::DefaultCharacterPath(), std::string(home) + "/.config/belverin/character");
}

}  // namespace
