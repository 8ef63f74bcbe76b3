#include "platform/os/sound_recorder.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

#include "platform/os/tests/probe_fixture.h"

namespace os {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool EndsWithin(SoundRecorder& recorder, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!recorder.Ended()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// The stand-in sets up its signals before it makes the file.
bool FileAppears(const fs::path& p) {
    for (int i = 0; i < 500 && !fs::exists(p); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    return fs::exists(p);
}

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

class ProgramRecorderTest : public ::testing::Test {
  protected:
    testing::ProbeFolder folder;
    const std::string fake = BELVERIN_FAKE_RECORDER;
};

TEST_F(ProgramRecorderTest, FileIsOneLastArgumentAfterTheSplitLine) {
    ProgramRecorder recorder(R"(rec -q "two words" -t wav)", folder.Dir());
    EXPECT_EQ(recorder.Arguments("/m/geluid met blank/intro3.wav"),
              (std::vector<std::string>{"rec", "-q", "two words", "-t", "wav",
                                        "/m/geluid met blank/intro3.wav"}));
    ProgramRecorder bare(kDefaultRecorderCommand, folder.Dir());
    EXPECT_EQ(bare.Arguments("x.wav").back(), "x.wav");
    EXPECT_EQ(bare.Arguments("x.wav").front(), "arecord");
}

TEST_F(ProgramRecorderTest, RecordsUntilAskedToStop) {
    const fs::path target = fs::path(folder.Dir()) / "opname met blank.wav";
    ProgramRecorder recorder(Quoted(fake) + " -q", folder.Dir());
    int error = -1;
    ASSERT_TRUE(recorder.Start(target.string(), error));
    EXPECT_EQ(error, 0);
    ASSERT_TRUE(FileAppears(target));
    EXPECT_FALSE(recorder.Ended());
    int again = 0;
    EXPECT_FALSE(recorder.Start(target.string(), again));
    EXPECT_EQ(again, EBUSY);
    recorder.RequestStop();
    ASSERT_TRUE(EndsWithin(recorder, 5s));
    const std::string wav = Read(target);
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
}

TEST_F(ProgramRecorderTest, ProgramThatFailsEndsWithoutAFile) {
    const fs::path target = fs::path(folder.Dir()) / "x.wav";
    ProgramRecorder recorder(Quoted(fake) + " --fail", folder.Dir());
    int error = 0;
    ASSERT_TRUE(recorder.Start(target.string(), error));
    EXPECT_TRUE(EndsWithin(recorder, 5s));
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(ProgramRecorderTest, MissingProgramDoesNotStart) {
    for (const char* line : {"geen-opnameprogramma-hier -q", "", "   "}) {
        SCOPED_TRACE(line);
        ProgramRecorder recorder(line, folder.Dir());
        int error = 0;
        EXPECT_FALSE(recorder.Start("x.wav", error));
        EXPECT_EQ(error, ENOENT);
        EXPECT_TRUE(recorder.Ended());
    }
}

TEST_F(ProgramRecorderTest, DeafRecorderIsKilled) {
    const fs::path target = fs::path(folder.Dir()) / "y.wav";
    ProgramRecorder recorder(Quoted(fake) + " --deaf", folder.Dir());
    int error = 0;
    ASSERT_TRUE(recorder.Start(target.string(), error));
    ASSERT_TRUE(FileAppears(target));
    recorder.RequestStop();
    EXPECT_FALSE(EndsWithin(recorder, 300ms));
    recorder.Kill();
    EXPECT_TRUE(recorder.Ended());
}

}  // namespace
}  // namespace os
