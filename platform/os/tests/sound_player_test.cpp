#include "platform/os/sound_player.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <sstream>
#include <thread>

#include "platform/os/recording_sound_output.h"
#include "platform/os/sound_log_output.h"
#include "platform/os/tests/wave_fixture.h"

namespace os {
namespace {

using namespace std::chrono_literals;
using os::testing::TempFolder;
using os::testing::WaveImage;
using os::testing::WriteWave;

constexpr int kRate = 8000;
constexpr auto kWait = 5s;  // only reached when something hangs

class PlayerTest : public ::testing::Test {
  protected:
    std::string Wave(const std::string& name, std::int64_t frames = 800, int channels = 1) {
        WriteWave(dir.File(name), kRate, channels, frames, SF_FORMAT_PCM_16);
        return dir.File(name);
    }
    void Advance(std::chrono::milliseconds by) { clock->Advance(by); }
    std::vector<std::string> Log() {
        std::lock_guard lock(log_mutex);
        return log;
    }
    SoundRecord Record(std::size_t i) { return out->Records().at(i); }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& r : out->Records()) {
            names.push_back(std::filesystem::path(r.info.name).filename().string());
        }
        return names;
    }

    TempFolder dir;
    std::shared_ptr<ManualSoundClock> clock = std::make_shared<ManualSoundClock>();
    std::shared_ptr<RecordingSoundOutput> out = std::make_shared<RecordingSoundOutput>(clock);
    std::mutex log_mutex;
    std::vector<std::string> log;
    std::unique_ptr<SoundPlayer> player =
        std::make_unique<SoundPlayer>(out, [this](const std::string& line) {
            std::lock_guard lock(log_mutex);
            log.push_back(line);
        });
};

TEST_F(PlayerTest, AsyncAnswersAtOnceAndEndsWithTheClock) {
    const std::string a = Wave("a.wav");
    ASSERT_TRUE(player->PlayFile(a, SND_ASYNC | SND_NODEFAULT));
    ASSERT_EQ(out->Records().size(), 1u);
    EXPECT_EQ(Record(0).info.name, a);
    EXPECT_EQ(Record(0).info.flags, 3u);
    EXPECT_EQ(Record(0).info.frames, 800);
    EXPECT_FALSE(Record(0).end.has_value());
    EXPECT_TRUE(player->Playing(SoundChannel::Sound));

    Advance(100ms);
    ASSERT_TRUE(out->WaitForEnded(1, kWait));
    EXPECT_EQ(Record(0).end, SoundEnd::Finished);
    EXPECT_EQ(Record(0).frames_played, 800);
    EXPECT_TRUE(player->WaitIdle(kWait));
}

TEST_F(PlayerTest, SyncReturnsOnlyOnceTheSoundHasEnded) {
    const std::string a = Wave("a.wav");
    auto done = std::async(std::launch::async, [&] { return player->PlayFile(a, SND_NODEFAULT); });
    ASSERT_TRUE(out->WaitForOpened(1, kWait));
    Advance(50ms);
    EXPECT_EQ(done.wait_for(50ms), std::future_status::timeout);
    Advance(50ms);
    ASSERT_EQ(done.wait_for(kWait), std::future_status::ready);
    EXPECT_TRUE(done.get());
    EXPECT_EQ(Record(0).end, SoundEnd::Finished);
    EXPECT_EQ(Record(0).frames_played, 800);
}

TEST_F(PlayerTest, LoopRepeatsUntilStopOrTheNextSound) {
    const std::string a = Wave("a.wav");
    const std::string b = Wave("b.wav");
    ASSERT_TRUE(player->PlayFile(a, SND_ASYNC | SND_NODEFAULT | SND_LOOP));
    for (int pass = 0; pass < 3; ++pass) {
        Advance(100ms);
    }
    // Still playing after three passes' worth of time.
    ASSERT_FALSE(out->WaitForEnded(1, 50ms));
    EXPECT_GE(Record(0).frames_played, 2400 - 160);

    ASSERT_TRUE(player->PlayFile(b, SND_ASYNC | SND_NODEFAULT | SND_LOOP));
    EXPECT_EQ(Record(0).end, SoundEnd::Replaced);
    player->Stop();
    EXPECT_EQ(Record(1).end, SoundEnd::Stopped);
    EXPECT_FALSE(player->Playing(SoundChannel::Sound));
}

TEST_F(PlayerTest, NewSoundEndsTheOneThatPlays) {
    const std::string a = Wave("a.wav");
    const std::string b = Wave("b.wav", 400);
    ASSERT_TRUE(player->PlayFile(a, SND_ASYNC));
    Advance(40ms);
    ASSERT_TRUE(player->PlayFile(b, SND_ASYNC));
    EXPECT_EQ(Record(0).end, SoundEnd::Replaced);
    EXPECT_LT(Record(0).frames_played, 800);
    Advance(50ms);
    ASSERT_TRUE(out->WaitForEnded(2, kWait));
    EXPECT_EQ(Record(1).end, SoundEnd::Finished);
    EXPECT_EQ(Record(1).frames_played, 400);
}

TEST_F(PlayerTest, StopLeavesSpeechAlone) {
    const std::string loop = Wave("loop.wav");
    ASSERT_TRUE(player->PlayFile(loop, SND_ASYNC | SND_LOOP));
    ASSERT_TRUE(player->Speak(WaveImage(kRate, 1, 800), "nl", "Jan belt"));
    ASSERT_TRUE(out->WaitForOpened(2, kWait));
    player->Stop();
    EXPECT_EQ(Record(0).end, SoundEnd::Stopped);
    EXPECT_FALSE(Record(1).end.has_value());
    EXPECT_TRUE(player->Playing(SoundChannel::Speech));

    Advance(100ms);
    ASSERT_TRUE(out->WaitForEnded(2, kWait));
    const SoundRecord speech = Record(1);
    EXPECT_EQ(speech.info.channel, SoundChannel::Speech);
    EXPECT_EQ(speech.end, SoundEnd::Finished);
    EXPECT_EQ(speech.info.voice, "nl");
    EXPECT_EQ(speech.info.text, "Jan belt");
    EXPECT_TRUE(speech.info.memory);
}

TEST_F(PlayerTest, SpeechWaitsBehindASequenceButNotBehindALoop) {
    std::string error;
    auto intro = DecodeSoundFile(Wave("intro.wav"), error);
    auto entry = DecodeSoundFile(Wave("jan.wav", 400), error);
    ASSERT_TRUE(intro && entry) << error;

    ASSERT_TRUE(player->PlaySequence({intro, entry}));
    ASSERT_TRUE(player->Speak(WaveImage(kRate, 1, 160), "nl", "Jan"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"intro.wav"}));
    Advance(100ms);
    ASSERT_TRUE(out->WaitForOpened(2, kWait));
    EXPECT_EQ(Names(), (std::vector<std::string>{"intro.wav", "jan.wav"}));
    EXPECT_EQ(Record(0).end, SoundEnd::Finished);
    Advance(50ms);
    ASSERT_TRUE(out->WaitForOpened(3, kWait));
    EXPECT_EQ(Record(1).end, SoundEnd::Finished);
    EXPECT_EQ(Record(2).info.channel, SoundChannel::Speech);

    Advance(20ms);
    ASSERT_TRUE(player->WaitIdle(kWait));
    ASSERT_TRUE(player->PlayFile(dir.File("intro.wav"), SND_ASYNC | SND_LOOP));
    ASSERT_TRUE(player->Speak(WaveImage(kRate, 1, 160), "nl", "Piet"));
    ASSERT_TRUE(out->WaitForOpened(5, kWait));
    EXPECT_EQ(Record(4).info.text, "Piet");
    EXPECT_FALSE(Record(3).end.has_value());
    player->Stop();
}

TEST_F(PlayerTest, SpeechQueuesInOrderAndStopSpeechDropsTheRest) {
    ASSERT_TRUE(player->Speak(WaveImage(kRate, 1, 800), "nl", "een"));
    ASSERT_TRUE(player->Speak(WaveImage(kRate, 1, 800), "nl", "twee"));
    ASSERT_TRUE(player->Speak(WaveImage(kRate, 1, 800), "nl", "drie"));
    Advance(100ms);
    ASSERT_TRUE(out->WaitForOpened(2, kWait));
    EXPECT_EQ(Record(0).end, SoundEnd::Finished);
    EXPECT_EQ(Record(1).info.text, "twee");
    player->StopSpeech();
    EXPECT_EQ(Record(1).end, SoundEnd::Stopped);
    EXPECT_TRUE(player->WaitIdle(kWait));
    EXPECT_EQ(out->Records().size(), 2u);
}

TEST_F(PlayerTest, ImagesInMemoryPlayUnderTheirLabel) {
    const auto image = WaveImage(kRate, 2, 300);
    ASSERT_TRUE(player->PlayImage(image, "welkom", SND_ASYNC | SND_MEMORY));
    const SoundRecord r = Record(0);
    EXPECT_EQ(r.info.name, "welkom");
    EXPECT_TRUE(r.info.memory);
    EXPECT_EQ(r.info.channels, 2);
    EXPECT_EQ(r.info.frames, 300);

    std::string error;
    EXPECT_EQ(DecodeSoundImage(std::span(image).first(30), "kort", error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST_F(PlayerTest, NullOrEmptySoundStops) {
    ASSERT_TRUE(player->PlayFile(Wave("a.wav"), SND_ASYNC | SND_LOOP));
    EXPECT_TRUE(player->PlayFile("", SND_ASYNC));
    EXPECT_EQ(Record(0).end, SoundEnd::Stopped);
}

TEST_F(PlayerTest, BadFilesAnswerFalseWithOneLogLine) {
    const std::string good = Wave("good.wav");
    std::string bytes;
    {
        std::ifstream in(good, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    dir.Write("empty.wav", "");
    dir.Write("text.wav", "Dit is geen geluid, alleen tekst.\n");
    dir.Write("header.wav", bytes.substr(0, 20));
    // The header promises 800 frames; only 300 are there.
    dir.Write("short.wav", bytes.substr(0, bytes.size() - 2 * 500));
    std::filesystem::create_directory(dir.File("folder.wav"));
    dir.Write("locked.wav", bytes);
    ::chmod(dir.File("locked.wav").c_str(), 0);
    WriteWave(dir.File("nothing.wav"), kRate, 1, 0, SF_FORMAT_PCM_16);

    struct Case {
        const char* file;
        unsigned flags;
        bool result;
        std::int64_t frames;  // played, when it plays
    };
    const Case cases[] = {
        {"missing.wav", SND_ASYNC, false, 0}, {"empty.wav", SND_ASYNC, false, 0},
        {"text.wav", SND_ASYNC, false, 0},    {"header.wav", SND_ASYNC, false, 0},
        {"short.wav", SND_ASYNC, true, 300},  {"folder.wav", SND_ASYNC, false, 0},
        {"locked.wav", SND_ASYNC, false, 0},  {"nothing.wav", SND_ASYNC | SND_LOOP, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        if (std::string(c.file) == "locked.wav" && ::geteuid() == 0) {
            continue;  // root reads it anyway
        }
        const std::size_t before = out->Records().size();
        const std::size_t logged = Log().size();
        EXPECT_EQ(player->PlayFile(dir.File(c.file), c.flags), c.result);
        if (!c.result) {
            EXPECT_EQ(out->Records().size(), before);
            ASSERT_EQ(Log().size(), logged + 1);
            EXPECT_NE(Log().back().find(c.file), std::string::npos);
            continue;
        }
        Advance(100ms);
        ASSERT_TRUE(out->WaitForEnded(before + 1, kWait));
        EXPECT_EQ(Record(before).end, SoundEnd::Finished);
        EXPECT_EQ(Record(before).frames_played, c.frames);
        EXPECT_EQ(Log().size(), logged);
    }
}

TEST_F(PlayerTest, DecodesTheUsualWaveEncodings) {
    struct Case {
        const char* name;
        int format;
        int channels;
    };
    const Case cases[] = {
        {"pcm16", SF_FORMAT_PCM_16, 2},  {"pcm8", SF_FORMAT_PCM_U8, 2},
        {"ima", SF_FORMAT_IMA_ADPCM, 1}, {"ms", SF_FORMAT_MS_ADPCM, 1},
        {"gsm", SF_FORMAT_GSM610, 1},    {"alaw", SF_FORMAT_ALAW, 1},
        {"ulaw", SF_FORMAT_ULAW, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(std::string(c.name) + ".wav");
        WriteWave(path, kRate, c.channels, 1600, c.format);
        std::string error;
        const SoundClipPtr clip = DecodeSoundFile(path, error);
        ASSERT_TRUE(clip) << error;
        EXPECT_EQ(clip->rate, kRate);
        EXPECT_EQ(clip->channels, c.channels);
        // Block codecs round up to whole blocks.
        EXPECT_GE(clip->Frames(), 1600);
        EXPECT_LT(clip->Frames(), 1600 + 2048);
    }
}

TEST_F(PlayerTest, NoOutputAnswersFalseAndTheNextSoundTriesAgain) {
    const std::string a = Wave("a.wav");
    out->SetRefuseOpen(true);
    EXPECT_FALSE(player->PlayFile(a, SND_ASYNC));
    EXPECT_FALSE(player->Speak(WaveImage(kRate, 1, 80), "nl", "x"));
    EXPECT_EQ(Log().size(), 2u);
    EXPECT_FALSE(player->Playing(SoundChannel::Sound));
    EXPECT_FALSE(player->Playing(SoundChannel::Speech));

    out->SetRefuseOpen(false);
    EXPECT_TRUE(player->PlayFile(a, SND_ASYNC));
    EXPECT_EQ(out->Records().size(), 1u);
}

TEST_F(PlayerTest, DestroyingThePlayerEndsWhatPlaysAndWhatWaits) {
    const std::string a = Wave("a.wav");
    ASSERT_TRUE(player->PlayFile(a, SND_ASYNC | SND_LOOP));
    ASSERT_TRUE(player->Speak(WaveImage(kRate, 1, 800), "nl", "een"));
    ASSERT_TRUE(player->Speak(WaveImage(kRate, 1, 800), "nl", "twee"));
    ASSERT_TRUE(out->WaitForOpened(2, kWait));
    player.reset();
    const auto records = out->Records();
    ASSERT_EQ(records.size(), 2u);
    for (const auto& r : records) {
        EXPECT_EQ(r.end, SoundEnd::Shutdown);
    }
}

// Many threads play, replace and stop at once on the real clock; run under ASan and TSan.
TEST(SoundPlayerStorm, PlayStopAndReplaceFromManyThreads) {
    TempFolder dir;
    WriteWave(dir.File("tik.wav"), kRate, 1, 80, SF_FORMAT_PCM_16);
    auto out = std::make_shared<RecordingSoundOutput>();
    std::atomic<int> logged{0};
    SoundPlayer player(out, [&](const std::string&) { ++logged; });
    std::string error;
    const SoundClipPtr clip = DecodeSoundFile(dir.File("tik.wav"), error);
    ASSERT_TRUE(clip);
    const auto image = WaveImage(kRate, 1, 80);

    std::vector<std::jthread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t] {
            std::mt19937 random(static_cast<unsigned>(t));
            for (int i = 0; i < 150; ++i) {
                switch (random() % 7) {
                    case 0:
                        player.PlayFile(dir.File("tik.wav"), SND_ASYNC);
                        break;
                    case 1:
                        player.PlayClip(clip, SND_ASYNC | SND_LOOP);
                        break;
                    case 2:
                        player.PlaySequence({clip, clip});
                        break;
                    case 3:
                        player.Stop();
                        break;
                    case 4:
                        player.Speak(image, "nl", "t");
                        break;
                    case 5:
                        player.StopSpeech();
                        break;
                    default:
                        player.PlayClip(clip, SND_NODEFAULT);
                        break;
                }
            }
        });
    }
    threads.clear();
    player.Stop();
    player.StopSpeech();
    ASSERT_TRUE(player.WaitIdle(kWait));
    for (const auto& r : out->Records()) {
        EXPECT_TRUE(r.end.has_value());
    }
    EXPECT_EQ(logged, 0);
}

TEST(SoundPlayerTiming, StopActsWithinAHundredMilliseconds) {
    TempFolder dir;
    WriteWave(dir.File("long.wav"), kRate, 1, kRate * 10, SF_FORMAT_PCM_16);
    auto out = std::make_shared<RecordingSoundOutput>();
    SoundPlayer player(out);
    ASSERT_TRUE(player.PlayFile(dir.File("long.wav"), SND_ASYNC));
    std::this_thread::sleep_for(30ms);
    const auto start = std::chrono::steady_clock::now();
    player.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(out->Records().at(0).end, SoundEnd::Stopped);
}

TEST(SoundLog, EnvironmentTurnsPlayingIntoOneLinePerSound) {
    TempFolder dir;
    WriteWave(dir.File("intro.wav"), kRate, 1, 80, SF_FORMAT_PCM_16);
    const std::string log = dir.File("geluid.log");
    ::setenv("BELVERIN_SOUND_LOG", log.c_str(), 1);
    SetSoundPlayer(nullptr);

    EXPECT_TRUE(sndPlaySound(dir.File("intro.wav").c_str(), SND_NODEFAULT));
    EXPECT_TRUE(soundPlayer().Speak(WaveImage(kRate, 1, 80), "nl", "Jan\tde Vries"));
    EXPECT_FALSE(sndPlaySound(dir.File("missing.wav").c_str(), SND_ASYNC));
    EXPECT_TRUE(soundPlayer().WaitIdle(kWait));
    EXPECT_TRUE(sndPlaySound(nullptr, 0));

    ::unsetenv("BELVERIN_SOUND_LOG");
    SetSoundPlayer(nullptr);
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "sound\t" + dir.File("intro.wav") +
                              "\t2\t80\t\t\n"
                              "speech\tnl: Jan de Vries\t7\t80\tnl\tJan de Vries\n");
}

}  // namespace
}  // namespace os
