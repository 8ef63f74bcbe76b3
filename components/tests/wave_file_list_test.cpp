#include "components/wave_file_list.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>

#include "platform/os/recording_sound_output.h"
#include "platform/os/tests/wave_fixture.h"

namespace {

using namespace std::chrono_literals;
using os::SoundEnd;
using os::testing::TempFolder;
using os::testing::WriteWave;

constexpr auto kWait = 5s;  // only reached when something hangs

class WaveListTest : public ::testing::Test {
  protected:
    WaveListTest() {
        list.SetFilePath(dir.Path() + "/geluid");
        std::filesystem::create_directory(list.FilePath());
    }
    // A file of 100 ms in the sound folder, spelt as given.
    void File(const std::string& name) {
        WriteWave(list.FilePath() + "/" + name, 8000, 1, 800, SF_FORMAT_PCM_16);
    }
    void SetItems(const std::vector<std::string>& items) {
        for (const auto& item : items) {
            list.Items().Add(item);
        }
    }
    std::vector<std::string> Opened() {
        std::vector<std::string> names;
        for (const auto& r : out->Records()) {
            names.push_back(std::filesystem::path(r.info.name).filename().string());
        }
        return names;
    }

    TempFolder dir;
    std::shared_ptr<os::ManualSoundClock> clock = std::make_shared<os::ManualSoundClock>();
    std::shared_ptr<os::RecordingSoundOutput> out =
        std::make_shared<os::RecordingSoundOutput>(clock);
    std::vector<std::string> log;
    std::unique_ptr<os::SoundPlayer> player = std::make_unique<os::SoundPlayer>(
        out, [this](const std::string& line) { log.push_back(line); });
    TWaveFileList list{nullptr, player.get()};
};

TEST_F(WaveListTest, RangesPlayInTurnAndStopAtTheFirstItemThatCannotPlay) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        int from;  // -1: PlayAll
        int to;
        TPlayOption option;
        bool result;
        std::vector<std::string> played;
    };
    const std::vector<Case> cases = {
        {"all three",
         {"a.wav", "b.wav", "c.wav"},
         -1,
         0,
         poAsync,
         true,
         {"a.wav", "b.wav", "c.wav"}},
        {"two down to nought",
         {"a.wav", "b.wav", "c.wav"},
         2,
         0,
         poLoop,
         true,
         {"c.wav", "b.wav", "a.wav"}},
        {"one item", {"a.wav", "b.wav", "c.wav"}, 1, 1, poSync, true, {"b.wav"}},
        {"first missing", {"b.wav", "c.wav"}, -1, 0, poAsync, false, {}},
        {"second missing", {"a.wav", "c.wav"}, -1, 0, poLoop, false, {"a.wav"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        list.SetFilePath(folder.Path());
        for (const auto& f : c.files) {
            WriteWave(folder.File(f), 8000, 1, 800, SF_FORMAT_PCM_16);
        }
        list.Items().Clear();
        SetItems({"a", "b", "c"});
        list.SetPlayOption(c.option);
        const std::size_t before = out->Records().size();

        const bool result = c.from < 0 ? list.PlayAll() : list.PlayRange(c.from, c.to);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(list.PlayOption(), c.option);
        // Answered before the clock moved: at most the first item has started.
        EXPECT_EQ(out->Records().size(), before + (c.played.empty() ? 0 : 1));
        for (std::size_t i = 1; i < c.played.size(); ++i) {
            // The next item starts only once the one before has ended.
            clock->Advance(100ms);
            ASSERT_TRUE(out->WaitForOpened(before + i + 1, kWait));
            EXPECT_EQ(out->Records()[before + i - 1].end, SoundEnd::Finished);
        }
        clock->Advance(100ms);
        ASSERT_TRUE(player->WaitIdle(kWait));
        const std::vector<std::string> opened = Opened();
        const std::vector<std::string> played(opened.begin() + static_cast<std::ptrdiff_t>(before),
                                              opened.end());
        EXPECT_EQ(played, c.played);
    }
}

TEST_F(WaveListTest, EmptyListPlaysNothing) {
    list.SetPlayOption(poLoop);
    EXPECT_FALSE(list.PlayAll());
    EXPECT_FALSE(list.PlayRange(0, 0));
    EXPECT_EQ(list.PlayOption(), poLoop);
    EXPECT_TRUE(out->Records().empty());
}

TEST_F(WaveListTest, IndexErrorRaisesAndLeavesTheOptionAsItWas) {
    File("a.wav");
    SetItems({"a"});
    list.SetPlayOption(poLoop);
    EXPECT_THROW(list.PlayRange(0, 1), rtl::EStringListError);
    EXPECT_EQ(list.PlayOption(), poLoop);
    EXPECT_EQ(list.Flags(), 11u);
    // The item before the bad index still sounds.
    EXPECT_EQ(Opened(), std::vector<std::string>{"a.wav"});

    EXPECT_THROW(list.Play(), rtl::EStringListError);  // ItemIndex -1
    EXPECT_THROW(list.PlayItem(1), rtl::EStringListError);
}

TEST_F(WaveListTest, ARangeStopsWhatPlayedBeforeButKeepsItsOwnSequence) {
    File("a.wav");
    File("b.wav");
    SetItems({"a", "b"});
    list.SetPlayOption(poLoop);
    ASSERT_TRUE(list.PlayItem(0));
    ASSERT_TRUE(list.PlayRange(0, 1));
    const auto records = out->Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].end, SoundEnd::Stopped);
    EXPECT_FALSE(records[1].end.has_value());
    EXPECT_TRUE(player->Playing(os::SoundChannel::Sound));
}

TEST_F(WaveListTest, FileNameIsFoundWithoutRegardToCase) {
    struct Case {
        const char* file;
        std::string path_suffix;
        std::string ext;
    };
    const Case cases[] = {
        {"intro.wav", "", "WAV"},
        {"INTRO.WAV", "", "WAV"},
        {"intro.WAV", "/", "WAV"},
        {"intro", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempFolder folder;
        WriteWave(folder.File(c.file), 8000, 1, 80, SF_FORMAT_PCM_16);
        list.SetFilePath(folder.Path() + c.path_suffix);
        list.SetFileExt(c.ext);
        list.Items().Clear();
        SetItems({"intro"});
        list.SetItemIndex(0);
        ASSERT_TRUE(list.Play());
        EXPECT_EQ(std::filesystem::path(list.FileName()),
                  std::filesystem::path(folder.File(c.file)));
        EXPECT_EQ(out->Records().back().info.name, list.FileName());
        player->Stop();
    }
}

TEST_F(WaveListTest, OptionWritesStopOnlyOnAChange) {
    File("a.wav");
    SetItems({"a"});
    list.SetPlayOption(poLoop);
    ASSERT_TRUE(list.PlayItem(0));
    list.SetPlayOption(poLoop);
    EXPECT_FALSE(out->Records()[0].end.has_value());
    list.SetPlayOption(poAsync);
    EXPECT_EQ(out->Records()[0].end, SoundEnd::Stopped);
}

TEST_F(WaveListTest, OptionsGiveTheirFlags) {
    TCustomWave wave{nullptr, player.get()};
    struct Case {
        TPlayOption option;
        unsigned wave_flags;
        unsigned list_flags;
    };
    const Case cases[] = {{poSync, 6, 2}, {poLoop, 15, 11}, {poAsync, 7, 3}};
    EXPECT_EQ(wave.Flags(), 7u);
    EXPECT_EQ(list.Flags(), 3u);
    for (const Case& c : cases) {
        wave.SetPlayOption(c.option);
        list.SetPlayOption(c.option);
        EXPECT_EQ(wave.Flags(), c.wave_flags);
        EXPECT_EQ(list.Flags(), c.list_flags);
    }
}

TEST_F(WaveListTest, AWaveWithoutASoundAnswersFalseAndAnImagePlaysFromMemory) {
    TCustomWave wave{nullptr, player.get()};
    wave.SetName("Welkom");
    EXPECT_FALSE(wave.Play());
    wave.SetSoundImage(os::testing::WaveImage(8000, 1, 80));
    ASSERT_TRUE(wave.Play());
    const auto r = out->Records().at(0);
    EXPECT_TRUE(r.info.memory);
    EXPECT_EQ(r.info.name, "Welkom");
    EXPECT_EQ(r.info.flags, 7u);
}

}  // namespace
