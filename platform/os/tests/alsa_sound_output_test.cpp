#include "platform/os/alsa_sound_output.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/os/sound_player.h"
#include "platform/os/tests/wave_fixture.h"

namespace os {
namespace {

using os::testing::TempFolder;
using os::testing::WriteWave;

// ALSA reads ~/.asoundrc from the home it sees at its first use: one home per process.
class AlsaTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        home_ = new TempFolder;
        ::setenv("HOME", home_->Path().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete home_;
        home_ = nullptr;
    }

    static void Configure(const std::string& default_pcm) {
        const std::string temp = home_->File(".asoundrc.new");
        std::ofstream(temp) << "pcm.!default {\n" << default_pcm << "}\n";
        std::filesystem::rename(temp, home_->File(".asoundrc"));
        // ALSA watches only its top configuration file, not ~/.asoundrc: start it afresh.
        snd_config_update_free_global();
    }
    static void ConfigureFile(const std::string& raw) {
        Configure("  type file\n  slave.pcm \"null\"\n  file \"" + raw + "\"\n  format \"raw\"\n");
    }

    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // The samples libsndfile decodes, as the little-endian bytes a 16-bit device takes.
    static std::string DecodedBytes(const std::string& path) {
        std::string error;
        const SoundClipPtr clip = DecodeSoundFile(path, error);
        std::string bytes;
        for (std::int16_t s : clip->samples) {
            bytes.push_back(static_cast<char>(s & 0xff));
            bytes.push_back(static_cast<char>((s >> 8) & 0xff));
        }
        return bytes;
    }

    static TempFolder* home_;
    TempFolder dir;
};
TempFolder* AlsaTest::home_ = nullptr;

TEST_F(AlsaTest, BytesWrittenAreTheDecodedSamples) {
    struct Case {
        const char* name;
        int channels;
        int format;
    };
    const Case cases[] = {{"mono16.wav", 1, SF_FORMAT_PCM_16},
                          {"stereo8.wav", 2, SF_FORMAT_PCM_U8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string wave = dir.File(c.name);
        const std::string raw = dir.File(std::string(c.name) + ".raw");
        WriteWave(wave, 11025, c.channels, 2000, c.format);
        ConfigureFile(raw);
        SoundPlayer player(std::make_shared<AlsaSoundOutput>());
        ASSERT_TRUE(player.PlayFile(wave, SND_NODEFAULT));
        const std::string expected = DecodedBytes(wave);
        EXPECT_EQ(expected.size(), 2000u * 2 * c.channels);
        EXPECT_TRUE(ReadBytes(raw) == expected);
    }
}

TEST_F(AlsaTest, MissingCardAnswersFalseWithOneLineAndTheNextSoundTriesAgain) {
    const std::string wave = dir.File("a.wav");
    WriteWave(wave, 8000, 1, 400, SF_FORMAT_PCM_16);
    Configure("  type hw\n  card 7\n");
    SoundPlayer player(std::make_shared<AlsaSoundOutput>());

    ::testing::internal::CaptureStderr();
    const bool played = player.PlayFile(wave, SND_ASYNC | SND_NODEFAULT);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(played);
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_NE(err.find("a.wav"), std::string::npos) << err;

    const std::string raw = dir.File("a.raw");
    ConfigureFile(raw);
    EXPECT_TRUE(player.PlayFile(wave, SND_NODEFAULT));
    EXPECT_TRUE(ReadBytes(raw) == DecodedBytes(wave));
}

}  // namespace
}  // namespace os
